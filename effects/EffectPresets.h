#pragma once

#include <QString>
#include <QStringList>
#include <span>

// One voice effect: the list item, the tool option that introduces its filter
// graph, the graph and whether the graph stands in double quotes.
struct TEffectPreset
{
    const char *Item;
    const char *Option;
    const char *Graph; // empty for "Custom": built from the sliders
    bool Quoted;
};

// The fourteen effects in list order.
std::span<const TEffectPreset> EffectPresets();

// Index of "Robot", the effect selected when the window opens.
inline constexpr int DefaultEffectIndex = 10;

// The "Custom" row's text; also the row used for any text that names no effect.
inline constexpr char CustomEffectItem[] = "Custom";

// A slider value as the shortest decimal text with at most 15 significant
// digits: no exponent, no grouping, always '.', whatever the locale.
QString FormatEffectNumber(double AValue);

// The filter graph of the effect AItemText as the tool is given it (without
// quotes); "Custom", and any text that names no effect, is built from the
// Rate and Tempo slider positions.
QString EffectGraph(const QString &AItemText, int ARatePosition, int ATempoPosition);

// The tool's command line that applies the effect AItemText to AInputPath and
// writes AOutputPath (WorkFile() when empty). ARatePosition and ATempoPosition
// are the positions of the Rate and Tempo sliders; only "Custom" uses them. The
// paths are quoted with Platform::QuoteArgument, so any file name survives the split.
QString BuildEffectCommand(const QString &AInputPath, const QString &AItemText, int ARatePosition, int ATempoPosition,
                           const QString &AOutputPath = QString());

// The option and filter graph of the effect AItemText as two separate
// arguments (no quoting), for a tool started with an argument list.
QStringList EffectFilterArguments(const QString &AItemText, int ARatePosition, int ATempoPosition);

// Seconds of result per second of input. Only "Custom" changes the length
// (asetrate makes it rate times faster, atempo tempo times): 1 / (rate x tempo).
// "Child" speeds up by 1.5 and slows down by 0.667, which leaves it as it is.
double EffectLengthFactor(const QString &AItemText, int ARatePosition, int ATempoPosition);
