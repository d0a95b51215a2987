#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRandomGenerator>
#include <QSize>
#include <QString>

#include <array>

// One falling column head of the about box's animation.
struct TDrop
{
    int x = 0;          // glyph column
    int y = 0;          // glyph row of the head
    int speed = 1;      // 1 to 3: the head moves one row every speed ticks
    int brightness = 0; // 0 to 99
};

// The falling-glyph animation of the about box: columns of characters drifting
// down in shades of green. Qt draws on a window only while painting it, so the
// glyphs go into a backing image of the window's size, which the window paints;
// a repaint therefore never loses them. The fields are open so the window and
// its tests can read and set the state directly.
class TGlyphMatrix
{
public:
    static constexpr int MaxDrops = 5000;
    static constexpr int TailDistance = 40; // rows between a head and the cell it erases

    TGlyphMatrix();

    // Takes AWindowSize as the size the matrix keeps, zeroes the frame count
    // and resets.
    void StartMatrix(QSize AWindowSize);
    // A black backing image of AWindowSize and freshly seeded drops; the matrix
    // keeps the size taken at the start.
    void ResetMatrix(QSize AWindowSize);
    // Two drops per column, none when there are no columns.
    void SeedDrops();
    // One more drop, unless the table is full.
    void AddDrop();
    // One tick: every drop draws a glyph and, on its turn, moves down a row.
    void StepMatrix();
    // Draws AGlyph for ADrop: erases the cell TailDistance rows above the head,
    // then the trail glyph one row above the head and the head glyph itself.
    void DrawDropGlyph(const TDrop &ADrop, QChar AGlyph);

    // The row whose cell a head in row AY erases, wrapped into the matrix.
    static int TailRow(int AY, int AMatrixHeight);
    static QColor HeadColour(int ABrightness);
    static QColor TrailColour(int ABrightness);

    const QImage &Bitmap() const { return FBitmap; }

    QString MatrixGlyphs = QStringLiteral("qby");
    std::array<TDrop, MaxDrops> Drops;
    int DropCount = 0;
    int FrameCount = 0; // ticks since the start
    int matrixWidth = 0;
    int matrixHeight = 0;
    int charWidth = 8;
    int charHeight = 12;
    int bitmapWidth = 0; // window size at the start
    int bitmapHeight = 0;

private:
    static QColor GreenShade(int ALevel);
    QChar RandomGlyph();
    void DrawGlyph(int AColumn, int ARow, QChar AGlyph, const QColor &AColour);
    void FitFontToRows();

    QImage FBitmap;
    QFont FFont;
    int FAscent = 0;
    QRandomGenerator FRandom;
};
