#include "audio/PulseRecordStream.h"

#include "audio/SoundServerError.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/stream.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr int Channels = 2;
// What piles up while the reader is late is cut to this, oldest first.
constexpr size_t MaxBufferedMs = 500;
// A backlog that has not once gone below a fragment for this long is sound
// that comes late for good (a late start, a stall of the machine): its oldest
// part goes. A short burst the reader catches up with is kept whole.
constexpr auto BacklogWindow = std::chrono::milliseconds(500);

} // namespace

TPulseRecordStream::TPulseRecordStream(const QString &ASource, int ARate, uint32_t AFragmentBytes)
    : FRate(ARate)
    , FFragmentBytes(AFragmentBytes)
{
    FClient = std::make_unique<TPulseClient>(ASource, "input device", [this](const QString &AWhy) { Fail(AWhy); });
    try {
        Connect(ASource, AFragmentBytes);
    } catch (...) {
        Close();
        throw;
    }
}

TPulseRecordStream::~TPulseRecordStream()
{
    Close();
}

void TPulseRecordStream::Connect(const QString &ASource, uint32_t AFragmentBytes)
{
    const TPulseClient::TLock lock(*FClient);
    const pa_sample_spec sampleFormat = {PA_SAMPLE_S16LE, uint32_t(FRate), Channels};
    FStream = pa_stream_new(FClient->Context(), "Live voice input", &sampleFormat, nullptr);
    if (!FStream)
        throw ESoundServerError::OfStream(pa_context_errno(FClient->Context()), ASource, "input device");
    pa_stream_set_state_callback(FStream, &TPulseRecordStream::OnStreamState, this);
    pa_stream_set_read_callback(FStream, &TPulseRecordStream::OnRead, this);
    pa_buffer_attr attributes;
    attributes.maxlength = uint32_t(-1);
    attributes.tlength = uint32_t(-1);
    attributes.prebuf = uint32_t(-1);
    attributes.minreq = uint32_t(-1);
    attributes.fragsize = AFragmentBytes;
    const QByteArray device = ASource.toUtf8();
    const auto flags =
        pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_INTERPOLATE_TIMING);
    if (pa_stream_connect_record(FStream, ASource.isEmpty() ? nullptr : device.constData(), &attributes, flags) < 0)
        throw ESoundServerError::OfStream(pa_context_errno(FClient->Context()), ASource, "input device");
    FClient->WaitUntilReady(FStream);
}

// The event thread ends first: no callback runs while the stream goes.
void TPulseRecordStream::Close()
{
    FClient->Stop();
    TPulseClient::CloseStream(FStream);
    FClient.reset();
}

bool TPulseRecordStream::Read(void *AData, size_t ABytes, QString &AError)
{
    std::unique_lock lock(FLock);
    FArrived.wait(lock, [&] { return FInterrupted || !FFailure.isEmpty() || FBuffer.size() >= ABytes; });
    if (FInterrupted || !FFailure.isEmpty()) {
        AError = FFailure;
        return false;
    }
    std::memcpy(AData, FBuffer.data(), ABytes);
    FBuffer.erase(FBuffer.begin(), FBuffer.begin() + std::ptrdiff_t(ABytes));
    DropLastingBacklog();
    return true;
}

// With FLock held, after a read.
void TPulseRecordStream::DropLastingBacklog()
{
    FLeastLeft = std::min(FLeastLeft, FBuffer.size());
    const auto now = std::chrono::steady_clock::now();
    if (now - FWindowStart < BacklogWindow)
        return;
    constexpr size_t FrameBytes = Channels * sizeof(int16_t);
    if (FLeastLeft > FFragmentBytes) {
        const size_t late = (FLeastLeft - FFragmentBytes) / FrameBytes * FrameBytes;
        FBuffer.erase(FBuffer.begin(), FBuffer.begin() + std::ptrdiff_t(late));
    }
    FLeastLeft = SIZE_MAX;
    FWindowStart = now;
}

void TPulseRecordStream::Interrupt()
{
    const std::lock_guard lock(FLock);
    FInterrupted = true;
    FArrived.notify_all();
}

uint64_t TPulseRecordStream::LatencyUs()
{
    pa_usec_t server = 0;
    {
        const TPulseClient::TLock lock(*FClient);
        int negative = 0;
        if (pa_stream_get_latency(FStream, &server, &negative) < 0 || negative)
            server = 0;
    }
    const std::lock_guard lock(FLock);
    return server + uint64_t(FBuffer.size()) * 1000000 / (uint64_t(FRate) * Channels * sizeof(int16_t));
}

void TPulseRecordStream::Fail(const QString &AMessage)
{
    const std::lock_guard lock(FLock);
    if (FFailure.isEmpty())
        FFailure = AMessage;
    FArrived.notify_all();
}

void TPulseRecordStream::OnStreamState(pa_stream *AStream, void *ASelf)
{
    auto *self = static_cast<TPulseRecordStream *>(ASelf);
    if (!PA_STREAM_IS_GOOD(pa_stream_get_state(AStream)))
        self->Fail(self->FClient->StreamError());
    self->FClient->Signal();
}

// Every fragment is copied and given back at once (a hole in the stream as silence).
void TPulseRecordStream::OnRead(pa_stream *AStream, size_t, void *ASelf)
{
    auto *self = static_cast<TPulseRecordStream *>(ASelf);
    const void *data = nullptr;
    size_t length = 0;
    while (pa_stream_readable_size(AStream) > 0 && pa_stream_peek(AStream, &data, &length) == 0 && length > 0) {
        {
            const std::lock_guard lock(self->FLock);
            std::vector<uint8_t> &buffer = self->FBuffer;
            const auto *bytes = static_cast<const uint8_t *>(data);
            if (data)
                buffer.insert(buffer.end(), bytes, bytes + length);
            else
                buffer.insert(buffer.end(), length, 0);
            const size_t most = MaxBufferedMs * size_t(self->FRate) / 1000 * Channels * sizeof(int16_t);
            if (buffer.size() > most)
                buffer.erase(buffer.begin(), buffer.end() - std::ptrdiff_t(most));
            self->FArrived.notify_all();
        }
        pa_stream_drop(AStream);
    }
}
