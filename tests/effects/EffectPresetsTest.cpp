#include "effects/EffectPresets.h"

#include "identity/AppIdentity.h"
#include "platform/CommandLine.h"

#include <QLocale>
#include <clocale>
#include <gtest/gtest.h>

#include "support/QtPrinters.h"

namespace {

// Runs each test with AppDataFolder set and, for the number rule, a locale
// whose decimal separator is a comma.
class EffectCommand : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FOldFolder = AppDataFolder;
        AppDataFolder = QStringLiteral("/home/u/.local/share/Quillaby/Tonara/");
        FOldLocale = std::setlocale(LC_ALL, nullptr);
        ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr)
            << "locale de_DE.UTF-8 missing: scripts/setup.sh generates it";
        ASSERT_STREQ(std::localeconv()->decimal_point, ",");
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }

    void TearDown() override
    {
        std::setlocale(LC_ALL, FOldLocale.c_str());
        QLocale::setDefault(QLocale::c());
        AppDataFolder = FOldFolder;
    }

    QString FOldFolder;
    std::string FOldLocale;
};

// The decimal text of ANumerator / ADenominator (ADenominator 10 or 2), worked
// out on integers.
QString ExactDecimal(int ANumerator, int ADenominator)
{
    const int whole = ANumerator / ADenominator;
    const int rest = ANumerator % ADenominator;
    if (rest == 0)
        return QString::number(whole);
    return QString::number(whole) + QLatin1Char('.') + QString::number(rest * 10 / ADenominator);
}

TEST_F(EffectCommand, EveryEffectCharacterForCharacter)
{
    const QString input = QStringLiteral("/home/u/My Sounds/a b.mp3");
    const QString in = QStringLiteral("ffmpeg -i \"/home/u/My Sounds/a b.mp3\" ");
    const QString out = QStringLiteral(" \"/home/u/.local/share/Quillaby/Tonara/output.wav\"");
    const struct
    {
        const char *Item;
        const char *Arguments;
    } rows[] = {
        {"Channel Difference", R"(-af "pan=mono|c0<c0-c1")"},
        {"Channel Shift", R"(-filter_complex "apulsator=mode=sine:hz=0.5")"},
        {"Child", R"(-af asetrate=44100*1.5,aresample=44100,atempo=0.667)"},
        {"Chorus", R"(-filter_complex "chorus=0.5:0.9:50|60|70:0.3|0.22|0.3:0.25|0.4|0.3:2|2.3|1.3")"},
        {"Crusher", R"(-filter_complex "acrusher=level_in=8:level_out=18:bits=8:mode=log:aa=1")"},
        {"Custom", R"(-af asetrate=44100*1,aresample=44100,atempo=1)"},
        {"Echo (Indoor)", R"(-filter_complex "aecho=0.8:0.9:40|50|70:0.4|0.3|0.2")"},
        {"Echo (Mountains)", R"(-filter_complex "aecho=0.8:0.9:500|1000:0.2|0.1")"},
        {"Phaser", R"(-filter_complex "aphaser=type=t:speed=2:decay=0.6")"},
        {"Reverse", R"(-filter_complex "areverse")"},
        {"Robot",
         R"(-filter_complex "afftfilt=real='hypot(re,im)*sin(0)':imag='hypot(re,im)*cos(0)':win_size=512:overlap=0.75")"},
        {"Scary", R"(-filter_complex "vibrato=f=4")"},
        {"Sinusoidal", R"(-filter_complex "tremolo=f=1:d=0.8")"},
        {"Whisper",
         R"(-filter_complex "afftfilt=real='hypot(re,im)*cos((random(0)*2-1)*2*3.14)':imag='hypot(re,im)*sin((random(1)*2-1)*2*3.14)':win_size=128:overlap=0.8")"},
    };
    const auto presets = EffectPresets();
    ASSERT_EQ(presets.size(), std::size(rows));
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].Item);
        EXPECT_STREQ(presets[i].Item, rows[i].Item); // list order
        EXPECT_EQ(BuildEffectCommand(input, QString::fromUtf8(rows[i].Item), 10, 2),
                  in + QString::fromUtf8(rows[i].Arguments) + out);
    }
    EXPECT_STREQ(presets[DefaultEffectIndex].Item, "Robot");
}

TEST_F(EffectCommand, TextsThatNameNoEffectGiveCustom)
{
    const QString custom = BuildEffectCommand(QStringLiteral("a.wav"), QStringLiteral("Custom"), 15, 3);
    EXPECT_TRUE(custom.contains(QStringLiteral(" -af asetrate=44100*1.5,aresample=44100,atempo=1.5 ")));
    for (const char *text : {"", "robot", "Robot ", "REVERSE", "Echo", "Unknown"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(BuildEffectCommand(QStringLiteral("a.wav"), QString::fromUtf8(text), 15, 3), custom);
    }
    // Other effects ignore the sliders.
    EXPECT_EQ(BuildEffectCommand(QStringLiteral("a.wav"), QStringLiteral("Reverse"), 1, 200),
              BuildEffectCommand(QStringLiteral("a.wav"), QStringLiteral("Reverse"), 100, 1));
}

TEST_F(EffectCommand, CustomGraphOverTheWholeSliderRanges)
{
    const QString prefix = QStringLiteral("ffmpeg -i \"in.mp3\" -af asetrate=44100*");
    const QString suffix = QStringLiteral(" \"/home/u/.local/share/Quillaby/Tonara/output.wav\"");
    for (int rate = 1; rate <= 100; ++rate) {
        for (int tempo = 1; tempo <= 200; ++tempo) {
            const QString expected = prefix + ExactDecimal(rate, 10) + QStringLiteral(",aresample=44100,atempo=")
                                     + ExactDecimal(tempo, 2) + suffix;
            const QString actual = BuildEffectCommand(QStringLiteral("in.mp3"), QStringLiteral("Custom"), rate, tempo);
            if (actual != expected) {
                ADD_FAILURE() << "rate " << rate << ", tempo " << tempo << ": " << actual.toStdString();
                return;
            }
        }
    }
}

TEST_F(EffectCommand, NumberRule)
{
    const struct
    {
        double Value;
        const char *Text;
    } cases[] = {
        {0.1, "0.1"},
        {3 * 0.1, "0.3"},
        {1.0, "1"},
        {1.5, "1.5"},
        {10.0, "10"},
        {100.0, "100"},
        {0.667, "0.667"},
        {1e-5, "0.00001"},
        {1e20, "100000000000000000000"},
        {123456789.123456789, "123456789.123457"},
        {1.0 / 3, "0.333333333333333"},
        {0.0, "0"},
        {-2.5, "-2.5"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(FormatEffectNumber(c.Value), QString::fromLatin1(c.Text));
    }
}

TEST_F(EffectCommand, WithoutDataFolderTheWorkFileIsRelative)
{
    AppDataFolder.clear();
    EXPECT_EQ(BuildEffectCommand(QStringLiteral("C:/Sounds/a b.mp3"), QStringLiteral("Reverse"), 10, 2),
              QStringLiteral("ffmpeg -i \"C:/Sounds/a b.mp3\" -filter_complex \"areverse\" \"output.wav\""));
}

// Quotes in a name are escaped, so the split gives every path back as it was.
TEST_F(EffectCommand, AnyFileNameSurvivesTheSplit)
{
    const QString input = QStringLiteral("/m/say \"hi\" it's $HOME Ærø\\");
    const QStringList arguments = Platform::SplitCommandLine(BuildEffectCommand(input, QStringLiteral("Robot"), 10, 2));
    ASSERT_EQ(arguments.size(), 6);
    EXPECT_EQ(arguments[2], input);
    EXPECT_EQ(arguments[5], WorkFile());
}

TEST_F(EffectCommand, OnlyCustomChangesTheLength)
{
    for (const TEffectPreset &preset : EffectPresets()) {
        if (QLatin1String(preset.Item) != QLatin1String(CustomEffectItem)) {
            EXPECT_EQ(EffectLengthFactor(QLatin1String(preset.Item), 100, 200), 1.0) << preset.Item;
        }
    }
    EXPECT_DOUBLE_EQ(EffectLengthFactor(QStringLiteral("Custom"), 10, 2), 1.0); // rate 1, tempo 1
    EXPECT_DOUBLE_EQ(EffectLengthFactor(QStringLiteral("Custom"), 20, 2), 0.5); // twice as fast
    EXPECT_DOUBLE_EQ(EffectLengthFactor(QStringLiteral("Custom"), 10, 1), 2.0); // tempo 0.5
    EXPECT_DOUBLE_EQ(EffectLengthFactor(QStringLiteral("no such effect"), 1, 1), 20.0);
}

} // namespace
