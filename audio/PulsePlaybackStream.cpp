#include "audio/PulsePlaybackStream.h"

#include "audio/SoundServerError.h"

#include <pulse/context.h>
#include <pulse/operation.h>
#include <pulse/stream.h>
#include <pulse/timeval.h>

namespace {

constexpr const char *Kind = "output device";

} // namespace

TPulsePlaybackStream::TPulsePlaybackStream(const TPcmFormat &AFormat, qint64 ABufferBytes, qint64 AStartBytes)
    : FFormat(AFormat)
{
    FClient = std::make_unique<TPulseClient>(QString(), Kind, [this](const QString &AWhy) { Fail(AWhy); });
    try {
        Connect(ABufferBytes, AStartBytes);
    } catch (...) {
        Close();
        throw;
    }
}

TPulsePlaybackStream::~TPulsePlaybackStream()
{
    Close();
}

void TPulsePlaybackStream::Connect(qint64 ABufferBytes, qint64 AStartBytes)
{
    const TPulseClient::TLock lock(*FClient);
    const pa_sample_spec sampleFormat = {PA_SAMPLE_S16LE, uint32_t(FFormat.SampleRate), uint8_t(FFormat.Channels)};
    FStream = pa_stream_new(FClient->Context(), "Preview", &sampleFormat, nullptr);
    if (!FStream)
        throw ESoundServerError::OfStream(pa_context_errno(FClient->Context()), QString(), Kind);
    pa_stream_set_state_callback(FStream, &TPulsePlaybackStream::OnStreamState, this);
    pa_stream_set_underflow_callback(FStream, &TPulsePlaybackStream::OnUnderflow, this);
    pa_buffer_attr attributes;
    attributes.maxlength = uint32_t(-1);
    attributes.tlength = uint32_t(ABufferBytes);
    attributes.prebuf = uint32_t(AStartBytes);
    attributes.minreq = uint32_t(-1);
    attributes.fragsize = uint32_t(-1);
    const auto flags =
        pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_INTERPOLATE_TIMING);
    if (pa_stream_connect_playback(FStream, nullptr, &attributes, flags, nullptr, nullptr) < 0)
        throw ESoundServerError::OfStream(pa_context_errno(FClient->Context()), QString(), Kind);
    FClient->WaitUntilReady(FStream);
}

// The event thread ends first: no callback runs while the stream goes, and
// whatever it still held is dropped with it.
void TPulsePlaybackStream::Close()
{
    FClient->Stop();
    if (FDrain) {
        pa_operation_cancel(FDrain);
        pa_operation_unref(FDrain);
        FDrain = nullptr;
    }
    TPulseClient::CloseStream(FStream);
    FClient.reset();
}

qint64 TPulsePlaybackStream::WritableBytes()
{
    const TPulseClient::TLock lock(*FClient);
    const size_t room = pa_stream_writable_size(FStream);
    if (room == size_t(-1))
        return 0;
    return qint64(room) - qint64(room) % FFormat.BytesPerFrame();
}

void TPulsePlaybackStream::Write(const char *AData, qint64 ABytes)
{
    const TPulseClient::TLock lock(*FClient);
    if (pa_stream_write(FStream, AData, size_t(ABytes), nullptr, 0, PA_SEEK_RELATIVE) < 0) {
        Fail(FClient->StreamError());
        return;
    }
    FWrittenBytes += ABytes;
}

qint64 TPulsePlaybackStream::HeardBytes()
{
    const TPulseClient::TLock lock(*FClient);
    pa_usec_t time = 0;
    if (pa_stream_get_time(FStream, &time) < 0)
        return 0;
    const qint64 frames = qint64(time * pa_usec_t(FFormat.SampleRate) / PA_USEC_PER_SEC);
    return qMin(FWrittenBytes, frames * FFormat.BytesPerFrame());
}

bool TPulsePlaybackStream::TakeUnderflow()
{
    return FUnderflow.exchange(false);
}

void TPulsePlaybackStream::Drain()
{
    const TPulseClient::TLock lock(*FClient);
    if (!FDrain)
        FDrain = pa_stream_drain(FStream, &TPulsePlaybackStream::OnDrained, this);
    if (!FDrain)
        Fail(FClient->StreamError());
}

QString TPulsePlaybackStream::Failure()
{
    const TPulseClient::TLock lock(*FClient);
    return FFailure;
}

// On the event thread, or with its lock held.
void TPulsePlaybackStream::Fail(const QString &AWhy)
{
    if (FFailure.isEmpty())
        FFailure = AWhy;
}

void TPulsePlaybackStream::OnStreamState(pa_stream *AStream, void *ASelf)
{
    auto *self = static_cast<TPulsePlaybackStream *>(ASelf);
    if (!PA_STREAM_IS_GOOD(pa_stream_get_state(AStream)))
        self->Fail(self->FClient->StreamError());
    self->FClient->Signal();
}

void TPulsePlaybackStream::OnUnderflow(pa_stream *, void *ASelf)
{
    static_cast<TPulsePlaybackStream *>(ASelf)->FUnderflow = true;
}

void TPulsePlaybackStream::OnDrained(pa_stream *, int ASuccess, void *ASelf)
{
    auto *self = static_cast<TPulsePlaybackStream *>(ASelf);
    if (!ASuccess)
        self->Fail(self->FClient->StreamError());
    self->FDrained = true;
}
