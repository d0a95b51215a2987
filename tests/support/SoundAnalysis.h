#pragma once

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// Looking at sound in tests: what a file holds, where sound starts, how two
// recordings line up, and what pitch a tone has. Samples are 16-bit mono.
namespace SoundAnalysis {

constexpr int Rate = 44100;

// The sound of any file ffmpeg reads, as mono samples at Rate; empty when it cannot.
std::vector<int16_t> DecodeMono(const QString &APath);

// ASamples through ffmpeg with AFilterArguments ("-af", a graph); empty when it failed.
std::vector<int16_t> Filtered(const std::vector<int16_t> &ASamples, const QStringList &AFilterArguments);

// Writes spoken AText (espeak-ng) as a WAV file; false when espeak-ng failed.
bool MakeSpeech(const QString &APath, const QString &AText);

// The first sample whose magnitude reaches AThreshold.
std::optional<size_t> FirstLoudSample(const std::vector<int16_t> &ASamples, int AThreshold = 1000);

// Root mean square of [ABegin, AEnd) (clipped to the samples); 0 when empty.
double Rms(const std::vector<int16_t> &ASamples, size_t ABegin = 0, size_t AEnd = SIZE_MAX);

// Where ASignal best matches AReference: ASignal[i + Lag] ~ AReference[i]. Found on
// the loudness envelope first, then refined sample by sample. Correlation is the
// Pearson correlation of the overlapping parts at that lag (1: identical shape).
struct TAlignment
{
    long Lag = 0;
    double Correlation = 0;
};
TAlignment Align(const std::vector<int16_t> &AReference, const std::vector<int16_t> &ASignal, long AMaxLag);

// The strongest frequency between AMinHz and AMaxHz of [ABegin, AEnd), in 1 Hz steps.
double DominantFrequency(const std::vector<int16_t> &ASamples, size_t ABegin = 0, size_t AEnd = SIZE_MAX,
                         double AMinHz = 50, double AMaxHz = 4000);

// How strongly [ABegin, AEnd) buzzes at AHz: the power on its harmonics up to
// 4 kHz against the power halfway between them. About 1 to 3 for a voice.
double HarmonicRatio(const std::vector<int16_t> &ASamples, double AHz, size_t ABegin = 0, size_t AEnd = SIZE_MAX);

} // namespace SoundAnalysis
