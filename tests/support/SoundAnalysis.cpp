#include "support/SoundAnalysis.h"

#include "support/SoundInputs.h"

#include <QProcess>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace SoundAnalysis {

namespace {

// Samples per step of the loudness envelope: one millisecond.
constexpr long EnvelopeStep = Rate / 1000;
// How far around the envelope's best lag the samples are searched, in steps.
constexpr long FineSteps = 10;
// The longest stretch DominantFrequency looks at; a second is plenty for a tone.
constexpr size_t FrequencyWindow = Rate;

template <typename T>
double Pearson(const std::vector<T> &AReference, const std::vector<T> &ASignal, long ALag)
{
    const long begin = std::max(0L, -ALag);
    const long end = std::min<long>(static_cast<long>(AReference.size()), static_cast<long>(ASignal.size()) - ALag);
    if (end - begin < 2)
        return 0;
    double sumA = 0, sumB = 0, sumAA = 0, sumBB = 0, sumAB = 0;
    for (long i = begin; i < end; ++i) {
        const double a = AReference[i];
        const double b = ASignal[i + ALag];
        sumA += a;
        sumB += b;
        sumAA += a * a;
        sumBB += b * b;
        sumAB += a * b;
    }
    const double n = static_cast<double>(end - begin);
    const double covariance = sumAB - sumA * sumB / n;
    const double spread = std::sqrt((sumAA - sumA * sumA / n) * (sumBB - sumB * sumB / n));
    return spread > 0 ? covariance / spread : 0;
}

std::vector<double> Envelope(const std::vector<int16_t> &ASamples)
{
    std::vector<double> envelope(ASamples.size() / EnvelopeStep);
    for (size_t block = 0; block < envelope.size(); ++block) {
        double sum = 0;
        for (long i = 0; i < EnvelopeStep; ++i)
            sum += std::abs(static_cast<double>(ASamples[block * EnvelopeStep + i]));
        envelope[block] = sum / EnvelopeStep;
    }
    return envelope;
}

template <typename T>
std::pair<long, double> BestLag(const std::vector<T> &AReference, const std::vector<T> &ASignal, long AFrom, long ATo)
{
    std::pair<long, double> best{AFrom, -2};
    for (long lag = AFrom; lag <= ATo; ++lag) {
        const double correlation = Pearson(AReference, ASignal, lag);
        if (correlation > best.second)
            best = {lag, correlation};
    }
    return best;
}

// Power of one frequency in [ABegin, AEnd) (Goertzel).
double Power(const std::vector<int16_t> &ASamples, size_t ABegin, size_t AEnd, double AHz)
{
    const double coefficient = 2 * std::cos(2 * std::numbers::pi * AHz / Rate);
    double previous = 0, beforePrevious = 0;
    for (size_t i = ABegin; i < AEnd; ++i) {
        const double current = ASamples[i] + coefficient * previous - beforePrevious;
        beforePrevious = previous;
        previous = current;
    }
    return previous * previous + beforePrevious * beforePrevious - coefficient * previous * beforePrevious;
}

double StrongestIn(const std::vector<int16_t> &ASamples, size_t ABegin, size_t AEnd, double AFrom, double ATo,
                   double AStep)
{
    double bestHz = AFrom, bestPower = -1;
    for (double hz = AFrom; hz <= ATo; hz += AStep) {
        const double power = Power(ASamples, ABegin, AEnd, hz);
        if (power > bestPower) {
            bestPower = power;
            bestHz = hz;
        }
    }
    return bestHz;
}

// The raw samples ffmpeg writes to its output, once it ended well; empty otherwise.
std::vector<int16_t> SamplesOf(QProcess &AFfmpeg)
{
    if (!AFfmpeg.waitForFinished(120000) || AFfmpeg.exitStatus() != QProcess::NormalExit || AFfmpeg.exitCode() != 0)
        return {};
    const QByteArray bytes = AFfmpeg.readAllStandardOutput();
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.constData(), samples.size() * sizeof(int16_t));
    return samples;
}

} // namespace

std::vector<int16_t> DecodeMono(const QString &APath)
{
    QProcess ffmpeg;
    ffmpeg.setStandardInputFile(QProcess::nullDevice());
    ffmpeg.start(QStringLiteral("ffmpeg"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), APath,
                                            QStringLiteral("-f"), QStringLiteral("s16le"), QStringLiteral("-ac"),
                                            QStringLiteral("1"), QStringLiteral("-ar"), QString::number(Rate),
                                            QStringLiteral("-")});
    return SamplesOf(ffmpeg);
}

std::vector<int16_t> Filtered(const std::vector<int16_t> &ASamples, const QStringList &AFilterArguments)
{
    const QStringList raw = {QStringLiteral("-f"), QStringLiteral("s16le"), QStringLiteral("-ac"), QStringLiteral("1"),
                             QStringLiteral("-ar"), QString::number(Rate)};
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), QStringList{QStringLiteral("-v"), QStringLiteral("error")} + raw
                                               + QStringList{QStringLiteral("-i"), QStringLiteral("-")} + AFilterArguments
                                               + raw + QStringList{QStringLiteral("-")});
    // QProcess feeds the input and drains the output together while it waits.
    ffmpeg.write(reinterpret_cast<const char *>(ASamples.data()), qint64(ASamples.size() * sizeof(int16_t)));
    ffmpeg.closeWriteChannel();
    return SamplesOf(ffmpeg);
}

bool MakeSpeech(const QString &APath, const QString &AText)
{
    return SoundInputs::Run(QStringLiteral("espeak-ng"), {QStringLiteral("-w"), APath, AText}) == 0;
}

std::optional<size_t> FirstLoudSample(const std::vector<int16_t> &ASamples, int AThreshold)
{
    const auto loud = std::find_if(ASamples.begin(), ASamples.end(),
                                   [AThreshold](int16_t ASample) { return std::abs(int(ASample)) >= AThreshold; });
    if (loud == ASamples.end())
        return std::nullopt;
    return static_cast<size_t>(loud - ASamples.begin());
}

double Rms(const std::vector<int16_t> &ASamples, size_t ABegin, size_t AEnd)
{
    AEnd = std::min(AEnd, ASamples.size());
    if (ABegin >= AEnd)
        return 0;
    double sum = 0;
    for (size_t i = ABegin; i < AEnd; ++i)
        sum += double(ASamples[i]) * ASamples[i];
    return std::sqrt(sum / double(AEnd - ABegin));
}

TAlignment Align(const std::vector<int16_t> &AReference, const std::vector<int16_t> &ASignal, long AMaxLag)
{
    const long coarseLimit = AMaxLag / EnvelopeStep;
    const auto coarse = BestLag(Envelope(AReference), Envelope(ASignal), -coarseLimit, coarseLimit);
    const long centre = coarse.first * EnvelopeStep;
    // Within a pitch period, millisecond blocks of loudness wobble with the
    // blocks' phase: a high voice's envelope has peaked 3.5 steps off the true lag.
    const auto fine = BestLag(AReference, ASignal, centre - FineSteps * EnvelopeStep, centre + FineSteps * EnvelopeStep);
    return {fine.first, fine.second};
}

double DominantFrequency(const std::vector<int16_t> &ASamples, size_t ABegin, size_t AEnd, double AMinHz,
                         double AMaxHz)
{
    AEnd = std::min({AEnd, ASamples.size(), ABegin + FrequencyWindow});
    if (ABegin >= AEnd)
        return 0;
    const double coarse = StrongestIn(ASamples, ABegin, AEnd, AMinHz, AMaxHz, 5);
    return StrongestIn(ASamples, ABegin, AEnd, std::max(AMinHz, coarse - 5), std::min(AMaxHz, coarse + 5), 1);
}

double HarmonicRatio(const std::vector<int16_t> &ASamples, double AHz, size_t ABegin, size_t AEnd)
{
    // Frames of a whole number of periods put every harmonic, and every point
    // halfway between two, on a frequency the frame holds whole.
    const auto frame = size_t(std::lround(16 * Rate / AHz));
    AEnd = std::min(AEnd, ASamples.size());
    double on = 0, between = 0;
    for (size_t at = ABegin; at + frame <= AEnd; at += frame)
        for (double hz = AHz; hz < 4000; hz += AHz) {
            on += Power(ASamples, at, at + frame, hz);
            between += Power(ASamples, at, at + frame, hz + AHz / 2);
        }
    return between > 0 ? on / between : 0;
}

} // namespace SoundAnalysis
