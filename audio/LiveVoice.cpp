#include "audio/LiveVoice.h"

#include "audio/LiveFilterGraph.h"
#include "audio/PulseRecordStream.h"
#include "audio/SoundServerError.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int Channels = TLiveFilterGraph::Channels;
constexpr int FrameBytes = Channels * int(sizeof(int16_t));
// A block over which the old effect fades out and the new one in: no click.
constexpr int FadeFrames = TLiveVoice::BlockFrames;
// Playback that has piled up beyond its buffer by this much is dropped: an
// effect that lengthens the sound, even slightly, would otherwise let the
// delay grow without end.
constexpr int DropAboveMs = TLiveVoice::PlaybackBufferMs + 40;

uint32_t BytesOfMs(int AMs)
{
    return uint32_t(AMs) * TLiveFilterGraph::SampleRate / 1000 * FrameBytes;
}

pa_simple *OpenPlayback(const QString &ADevice)
{
    const pa_sample_spec sampleFormat = {PA_SAMPLE_S16LE, TLiveFilterGraph::SampleRate, Channels};
    pa_buffer_attr attributes;
    attributes.maxlength = uint32_t(-1);
    attributes.minreq = uint32_t(-1);
    attributes.prebuf = uint32_t(-1);
    attributes.fragsize = uint32_t(-1);
    // A short queue: what is queued is heard that much later.
    attributes.tlength = BytesOfMs(TLiveVoice::PlaybackBufferMs);
    const QByteArray device = ADevice.toUtf8();
    int error = 0;
    pa_simple *stream = pa_simple_new(nullptr, "Tonara", PA_STREAM_PLAYBACK,
                                      ADevice.isEmpty() ? nullptr : device.constData(), "Live voice", &sampleFormat, nullptr,
                                      &attributes, &error);
    if (!stream)
        throw ESoundServerError::OfStream(error, ADevice, "output device");
    return stream;
}

int PeakOf(const int16_t *ASamples, size_t ACount)
{
    int peak = 0;
    for (size_t i = 0; i < ACount; ++i)
        peak = std::max(peak, std::abs(int(ASamples[i])));
    return peak;
}

void RaiseTo(std::atomic<int> &APeak, int AValue)
{
    int old = APeak.load();
    while (AValue > old && !APeak.compare_exchange_weak(old, AValue)) {
    }
}

// Scales the samples as frames AFirst... of a fade FadeFrames long, in or out.
void Ramp(std::vector<int16_t> &ASamples, int AFirst, bool ARising)
{
    const size_t frames = ASamples.size() / Channels;
    for (size_t i = 0; i < frames && int(i) + AFirst < FadeFrames; ++i) {
        const float step = float(int(i) + AFirst) / FadeFrames;
        const float gain = ARising ? step : 1 - step;
        for (int c = 0; c < Channels; ++c)
            ASamples[i * Channels + c] = int16_t(std::lround(ASamples[i * Channels + c] * gain));
    }
}

} // namespace

TLiveVoice::TLiveVoice(QObject *AParent)
    : QObject(AParent)
{
}

TLiveVoice::~TLiveVoice()
{
    Stop();
}

void TLiveVoice::Start(const QString &ASource, const QString &ASink, const QString &AGraph)
{
    Stop();
    FGraph = std::make_unique<TLiveFilterGraph>(AGraph);
    try {
        // Recording hands over every block at once.
        FRecord = std::make_unique<TPulseRecordStream>(ASource, TLiveFilterGraph::SampleRate,
                                                       uint32_t(BlockFrames * FrameBytes));
        FPlayback = OpenPlayback(ASink);
    } catch (...) {
        CloseStreams();
        throw;
    }
    FStopping = false;
    FBlocks = 0;
    FThread = std::thread([this] { Run(); });
}

void TLiveVoice::Stop()
{
    FStopping = true;
    if (FRecord)
        FRecord->Interrupt();
    if (FThread.joinable())
        FThread.join();
    CloseStreams();
    FGraph.reset();
    const std::lock_guard lock(FNextLock);
    FNextGraph.reset();
}

void TLiveVoice::CloseStreams()
{
    FRecord.reset();
    if (FPlayback)
        pa_simple_free(FPlayback);
    FPlayback = nullptr;
}

void TLiveVoice::SetGraph(const QString &AGraph)
{
    auto graph = std::make_unique<TLiveFilterGraph>(AGraph);
    const std::lock_guard lock(FNextLock);
    FNextGraph = std::move(graph);
}

std::unique_ptr<TLiveFilterGraph> TLiveVoice::TakeNextGraph()
{
    const std::lock_guard lock(FNextLock);
    return std::move(FNextGraph);
}

float TLiveVoice::TakeInputPeak()
{
    return float(FInputPeak.exchange(0)) / 32768;
}

float TLiveVoice::TakeOutputPeak()
{
    return float(FOutputPeak.exchange(0)) / 32768;
}

void TLiveVoice::Run()
{
    try {
        Carry();
    } catch (const std::exception &error) {
        const QString message = QString::fromUtf8(error.what());
        QMetaObject::invokeMethod(this, [this, message] { emit Failed(message); }, Qt::QueuedConnection);
    }
}

// The chain's loop: read a block, run it through the effect, play what comes out.
void TLiveVoice::Carry()
{
    std::vector<int16_t> input(size_t(BlockFrames) * Channels);
    std::vector<int16_t> output;
    long long pushed = 0;
    long long pulled = 0;
    int fadedIn = FadeFrames;
    while (!FStopping.load()) {
        QString failure;
        if (!FRecord->Read(input.data(), input.size() * sizeof(int16_t), failure)) {
            if (FStopping.load())
                return;
            throw ESoundServerError(
                QStringLiteral("The sound server stopped the input (%1): live voice stopped.").arg(failure).toStdString());
        }
        int error = 0;
        RaiseTo(FInputPeak, PeakOf(input.data(), input.size()));
        std::unique_ptr<TLiveFilterGraph> next = TakeNextGraph();
        output.clear();
        FGraph->Push(input.data(), BlockFrames);
        FGraph->Pull(output);
        pushed += BlockFrames;
        pulled += long(output.size()) / Channels;
        if (next) {
            Ramp(output, 0, false);
            FGraph = std::move(next);
            pushed = pulled = 0;
            fadedIn = 0;
        } else if (fadedIn < FadeFrames) {
            Ramp(output, fadedIn, true);
            fadedIn += int(output.size()) / Channels;
        }
        RaiseTo(FOutputPeak, PeakOf(output.data(), output.size()));
        UpdateLatency(pushed - pulled);
        const pa_usec_t queued = pa_simple_get_latency(FPlayback, &error);
        if (!output.empty() && queued / 1000 < pa_usec_t(DropAboveMs)
            && pa_simple_write(FPlayback, output.data(), output.size() * sizeof(int16_t), &error) < 0)
            throw ESoundServerError(QStringLiteral("The sound server stopped the output (%1): live voice stopped.")
                                        .arg(QString::fromUtf8(pa_strerror(error)))
                                        .toStdString());
        ++FBlocks;
    }
}

void TLiveVoice::UpdateLatency(long long AGraphFrames)
{
    int error = 0;
    const pa_usec_t buffers = FRecord->LatencyUs() + pa_simple_get_latency(FPlayback, &error);
    FLatencyMs = int(buffers / 1000 + std::max(0LL, AGraphFrames) * 1000 / TLiveFilterGraph::SampleRate);
}
