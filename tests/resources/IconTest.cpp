// The program's icon shows its wave: six light bars of different heights on the
// dark tile, in the PNGs compiled in and installed, and in what its SVG renders to.
#include <QImage>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <string>

namespace {

// The bars of the SVG's wave, in its 256-unit coordinates.
struct TBar
{
    int X;
    int Top;
    int Bottom;
};
constexpr std::array<TBar, 6> Bars{{{52, 112, 144}, {82, 88, 168}, {112, 60, 196},
                                    {142, 96, 160}, {172, 76, 180}, {202, 108, 148}}};

// The tile's colours have little green (at most 0x2f); the wave's are near white.
bool IsWave(QRgb APixel)
{
    return qAlpha(APixel) > 200 && qGreen(APixel) > 160;
}

bool IsTile(QRgb APixel)
{
    return qAlpha(APixel) > 200 && qGreen(APixel) < 80;
}

// Empty when the image shows every bar at its place and height with tile around
// it; otherwise where it does not.
std::string WaveFault(const QImage &AImage)
{
    if (AImage.isNull() || AImage.width() != AImage.height())
        return "no square image";
    const double scale = AImage.width() / 256.0;
    const auto pixel = [&](int AX, int AY) { return AImage.pixel(int(AX * scale), int(AY * scale)); };
    std::string fault;
    for (const TBar &bar : Bars) {
        const int middle = (bar.Top + bar.Bottom) / 2;
        const std::string at = "bar at x " + std::to_string(bar.X);
        if (!IsWave(pixel(bar.X, middle)))
            fault += at + ": no wave at its middle; ";
        // The round caps reach 8 units past the ends; 16 past them is tile again.
        if (!IsTile(pixel(bar.X, bar.Top - 16)) || !IsTile(pixel(bar.X, bar.Bottom + 16)))
            fault += at + ": not the bar's height; ";
        if (!IsTile(pixel(bar.X + 15, middle)))
            fault += at + ": no tile beside it; ";
    }
    return fault;
}

// The SVG rendered by rsvg-convert at ASize pixels, or a null image after a
// failure reported to the test.
QImage RenderedSource(int ASize, const QTemporaryDir &AFolder)
{
    const QString program = QStringLiteral(TONARA_RSVG_CONVERT);
    if (program.isEmpty()) {
        ADD_FAILURE() << "rsvg-convert was not found when configuring; scripts/setup.sh installs librsvg2-bin";
        return {};
    }
    const QString output = AFolder.filePath(QStringLiteral("icon.png"));
    const QString size = QString::number(ASize);
    QProcess render;
    render.start(program, {QStringLiteral("-w"), size, QStringLiteral("-h"), size, QStringLiteral(TONARA_ICON_SVG),
                           QStringLiteral("-o"), output});
    if (!render.waitForFinished(60000) || render.exitStatus() != QProcess::NormalExit || render.exitCode() != 0) {
        ADD_FAILURE() << "rsvg-convert failed: " << render.readAllStandardError().toStdString();
        return {};
    }
    return QImage(output);
}

// The share of pixels in which some channel differs by more than a little, as
// two renderers' edge smoothing may.
double DifferingShare(const QImage &A, const QImage &B)
{
    const QImage a = A.convertToFormat(QImage::Format_ARGB32);
    const QImage b = B.convertToFormat(QImage::Format_ARGB32);
    int differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > 16 || std::abs(qGreen(p) - qGreen(q)) > 16
                || std::abs(qBlue(p) - qBlue(q)) > 16 || std::abs(qAlpha(p) - qAlpha(q)) > 16)
                ++differing;
        }
    }
    return double(differing) / (a.width() * a.height());
}

class IconSizes : public testing::TestWithParam<int>
{};

} // namespace

// Outside any namespace, as Qt's resource initialiser needs.
static QImage ShippedIcon(int ASize)
{
    Q_INIT_RESOURCE(tonara_images);
    return QImage(QStringLiteral(":/images/tonara-%1.png").arg(ASize));
}

TEST_P(IconSizes, ShippedPngShowsTheWave)
{
    const QImage shipped = ShippedIcon(GetParam());
    ASSERT_EQ(shipped.width(), GetParam());
    EXPECT_EQ(WaveFault(shipped), "");
}

// The source itself paints the wave, and the shipped PNG is what it renders to
// (scripts/render-icon.sh was run after the last change of the SVG).
TEST_P(IconSizes, SourceRendersTheWaveAsShipped)
{
    const QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QImage rendered = RenderedSource(GetParam(), folder);
    ASSERT_EQ(rendered.width(), GetParam());
    EXPECT_EQ(WaveFault(rendered), "");
    EXPECT_LT(DifferingShare(rendered, ShippedIcon(GetParam())), 0.005);
}

INSTANTIATE_TEST_SUITE_P(Icon, IconSizes, testing::Values(48, 128, 256), testing::PrintToStringParamName());
