#include "effects/EffectPresets.h"

#include "effects/ExternalTool.h"
#include "identity/AppIdentity.h"
#include "platform/CommandLine.h"

#include <array>
#include <charconv>
#include <string>

namespace {

constexpr std::array<TEffectPreset, 14> Presets = {{
    {"Channel Difference", "-af", "pan=mono|c0<c0-c1", true},
    {"Channel Shift", "-filter_complex", "apulsator=mode=sine:hz=0.5", true},
    {"Child", "-af", "asetrate=44100*1.5,aresample=44100,atempo=0.667", false},
    {"Chorus", "-filter_complex", "chorus=0.5:0.9:50|60|70:0.3|0.22|0.3:0.25|0.4|0.3:2|2.3|1.3", true},
    {"Crusher", "-filter_complex", "acrusher=level_in=8:level_out=18:bits=8:mode=log:aa=1", true},
    {CustomEffectItem, "-af", "", false},
    {"Echo (Indoor)", "-filter_complex", "aecho=0.8:0.9:40|50|70:0.4|0.3|0.2", true},
    {"Echo (Mountains)", "-filter_complex", "aecho=0.8:0.9:500|1000:0.2|0.1", true},
    {"Phaser", "-filter_complex", "aphaser=type=t:speed=2:decay=0.6", true},
    {"Reverse", "-filter_complex", "areverse", true},
    {"Robot", "-filter_complex",
     "afftfilt=real='hypot(re,im)*sin(0)':imag='hypot(re,im)*cos(0)':win_size=512:overlap=0.75", true},
    {"Scary", "-filter_complex", "vibrato=f=4", true},
    {"Sinusoidal", "-filter_complex", "tremolo=f=1:d=0.8", true},
    {"Whisper", "-filter_complex",
     "afftfilt=real='hypot(re,im)*cos((random(0)*2-1)*2*3.14)':imag='hypot(re,im)*sin((random(1)*2-1)*2*3.14)'"
     ":win_size=128:overlap=0.8",
     true},
}};

constexpr double RateFactor = 0.1;
constexpr double TempoFactor = 0.5;

const TEffectPreset &PresetFor(const QString &AItemText)
{
    for (const TEffectPreset &preset : Presets)
        if (AItemText == QLatin1String(preset.Item))
            return preset;
    return Presets[5]; // "Custom"
}

QString CustomGraph(int ARatePosition, int ATempoPosition)
{
    return QStringLiteral("asetrate=44100*") + FormatEffectNumber(ARatePosition * RateFactor)
           + QStringLiteral(",aresample=44100,atempo=") + FormatEffectNumber(ATempoPosition * TempoFactor);
}

// Significant digits ADigits (no trailing zeros) times 10^AExponent, as a plain
// decimal: "15", 0 gives "1.5"; "1", -1 gives "0.1"; "1", 1 gives "10".
std::string PlaceDecimalPoint(const std::string &ADigits, int AExponent)
{
    if (ADigits == "0")
        return "0";
    if (AExponent < 0)
        return "0." + std::string(size_t(-AExponent - 1), '0') + ADigits;
    const size_t integralLength = size_t(AExponent) + 1;
    if (integralLength >= ADigits.size())
        return ADigits + std::string(integralLength - ADigits.size(), '0');
    return ADigits.substr(0, integralLength) + '.' + ADigits.substr(integralLength);
}

} // namespace

std::span<const TEffectPreset> EffectPresets()
{
    return Presets;
}

QString FormatEffectNumber(double AValue)
{
    // 15 significant digits in scientific form ("-d.dddddddddddddde+XX"), written
    // out as a plain decimal below; std::to_chars never looks at the locale.
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, AValue, std::chars_format::scientific, 14).ptr;
    const std::string text(buffer, end);
    const size_t sign = text[0] == '-' ? 1 : 0;
    const size_t e = text.find('e');
    std::string digits = text.substr(sign, 1) + text.substr(sign + 2, e - sign - 2);
    const int exponent = std::stoi(text.substr(e + 1));
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    return QString::fromStdString(text.substr(0, sign) + PlaceDecimalPoint(digits, exponent));
}

namespace {

QString GraphOf(const TEffectPreset &APreset, int ARatePosition, int ATempoPosition)
{
    return APreset.Graph[0] ? QString::fromUtf8(APreset.Graph) : CustomGraph(ARatePosition, ATempoPosition);
}

} // namespace

QString EffectGraph(const QString &AItemText, int ARatePosition, int ATempoPosition)
{
    return GraphOf(PresetFor(AItemText), ARatePosition, ATempoPosition);
}

QString BuildEffectCommand(const QString &AInputPath, const QString &AItemText, int ARatePosition, int ATempoPosition,
                           const QString &AOutputPath)
{
    const TEffectPreset &preset = PresetFor(AItemText);
    const QString graph = GraphOf(preset, ARatePosition, ATempoPosition);
    // Paths go in double quotes; a quote or trailing backslash in a name is
    // escaped so that the split gives the name back unchanged.
    using Platform::QuoteArgument;
    return QLatin1String(ExternalToolProgram) + QStringLiteral(" -i ") + QuoteArgument(AInputPath) + QLatin1Char(' ')
           + QLatin1String(preset.Option) + QLatin1Char(' ') + (preset.Quoted ? QuoteArgument(graph) : graph)
           + QStringLiteral(" ") + QuoteArgument(AOutputPath.isEmpty() ? WorkFile() : AOutputPath);
}

QStringList EffectFilterArguments(const QString &AItemText, int ARatePosition, int ATempoPosition)
{
    const TEffectPreset &preset = PresetFor(AItemText);
    return {QLatin1String(preset.Option), GraphOf(preset, ARatePosition, ATempoPosition)};
}

double EffectLengthFactor(const QString &AItemText, int ARatePosition, int ATempoPosition)
{
    if (PresetFor(AItemText).Graph[0])
        return 1;
    return 1 / (ARatePosition * RateFactor * ATempoPosition * TempoFactor);
}
