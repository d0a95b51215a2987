#include "gui/GlyphMatrix.h"

#include <QFontMetrics>
#include <QPainter>

TGlyphMatrix::TGlyphMatrix()
    : FFont(QStringLiteral("Tahoma"))
    , FRandom(QRandomGenerator::securelySeeded())
{
    // Plain pixels: every glyph is drawn in exactly its colour.
    FFont.setStyleStrategy(QFont::NoAntialias);
}

void TGlyphMatrix::StartMatrix(QSize AWindowSize)
{
    FrameCount = 0;
    bitmapWidth = AWindowSize.width();
    bitmapHeight = AWindowSize.height();
    ResetMatrix(AWindowSize);
}

void TGlyphMatrix::ResetMatrix(QSize AWindowSize)
{
    FBitmap = QImage(AWindowSize, QImage::Format_RGB32);
    FBitmap.fill(Qt::black);
    charWidth = 8;
    charHeight = 12;
    FitFontToRows();
    matrixWidth = bitmapWidth / charWidth;
    matrixHeight = bitmapHeight / charHeight;
    SeedDrops();
}

void TGlyphMatrix::FitFontToRows()
{
    // A glyph with its descender stays inside its own row, so it replaces
    // exactly its cell.
    int pixelSize = charHeight;
    FFont.setPixelSize(pixelSize);
    while (pixelSize > 1 && QFontMetrics(FFont).height() > charHeight)
        FFont.setPixelSize(--pixelSize);
    FAscent = QFontMetrics(FFont).ascent();
}

void TGlyphMatrix::SeedDrops()
{
    DropCount = 0;
    for (int i = 0; i < 2 * matrixWidth; ++i)
        AddDrop();
}

void TGlyphMatrix::AddDrop()
{
    if (DropCount >= MaxDrops || matrixWidth <= 0)
        return;
    TDrop &drop = Drops[DropCount];
    drop.x = DropCount % matrixWidth;
    drop.y = FRandom.bounded(matrixHeight > 0 ? matrixHeight : 1);
    drop.speed = 1 + FRandom.bounded(3);
    drop.brightness = FRandom.bounded(100);
    ++DropCount;
}

void TGlyphMatrix::StepMatrix()
{
    for (int i = 0; i < DropCount; ++i) {
        TDrop &drop = Drops[i];
        DrawDropGlyph(drop, RandomGlyph());
        if (FrameCount % drop.speed != 0)
            continue;
        ++drop.y;
        if (drop.y > matrixHeight + 1) {
            drop.y = 0;
            drop.speed = 1 + FRandom.bounded(3);
            drop.brightness = FRandom.bounded(100);
        }
    }
    ++FrameCount;
}

void TGlyphMatrix::DrawDropGlyph(const TDrop &ADrop, QChar AGlyph)
{
    QPainter painter(&FBitmap);
    const int tail = TailRow(ADrop.y, matrixHeight);
    painter.fillRect(ADrop.x * charWidth, tail * charHeight, charWidth, charHeight, Qt::black);
    painter.end();
    if (ADrop.y > 0)
        DrawGlyph(ADrop.x, ADrop.y - 1, AGlyph, TrailColour(ADrop.brightness));
    DrawGlyph(ADrop.x, ADrop.y, AGlyph, HeadColour(ADrop.brightness));
}

void TGlyphMatrix::DrawGlyph(int AColumn, int ARow, QChar AGlyph, const QColor &AColour)
{
    // Opaque on black: the glyph replaces whatever its cell held.
    QPainter painter(&FBitmap);
    painter.setFont(FFont);
    const QPoint topLeft(AColumn * charWidth, ARow * charHeight);
    const QString text(AGlyph);
    painter.fillRect(QRect(topLeft, QSize(QFontMetrics(FFont).horizontalAdvance(text), charHeight)), Qt::black);
    painter.setPen(AColour);
    painter.drawText(topLeft + QPoint(0, FAscent), text);
}

int TGlyphMatrix::TailRow(int AY, int AMatrixHeight)
{
    int row = AY - TailDistance;
    while (row < 0)
        row += AMatrixHeight + 1;
    return row;
}

QColor TGlyphMatrix::GreenShade(int ALevel)
{
    return QColor(ALevel * 150 / 255, ALevel, ALevel * 100 / 255);
}

QColor TGlyphMatrix::HeadColour(int ABrightness)
{
    return GreenShade(ABrightness * 255 / 100);
}

QColor TGlyphMatrix::TrailColour(int ABrightness)
{
    return GreenShade(ABrightness * 255 / 100 / 3);
}

QChar TGlyphMatrix::RandomGlyph()
{
    return MatrixGlyphs.at(FRandom.bounded(int(MatrixGlyphs.size())));
}
