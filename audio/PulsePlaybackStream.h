#pragma once

#include "audio/PcmFormat.h"
#include "audio/PulseClient.h"

#include <QString>
#include <atomic>
#include <memory>

struct pa_operation;
struct pa_stream;

// A playback stream to the sound server's default output, written from one
// thread without blocking it. The stream's callbacks are this object's own
// and end with it, whatever the server still had on its way.
class TPulsePlaybackStream
{
public:
    // Opens a stream of AFormat that holds up to ABufferBytes queued and
    // starts playing once AStartBytes are there (or at Drain). Raises
    // ESoundServerError.
    TPulsePlaybackStream(const TPcmFormat &AFormat, qint64 ABufferBytes, qint64 AStartBytes);
    ~TPulsePlaybackStream();
    TPulsePlaybackStream(const TPulsePlaybackStream &) = delete;
    TPulsePlaybackStream &operator=(const TPulsePlaybackStream &) = delete;

    // How much Write takes now, whole frames.
    qint64 WritableBytes();
    void Write(const char *AData, qint64 ABytes);
    // How much of what was written has been heard, by the server's clock.
    qint64 HeardBytes();
    // True once since the last call when the queue ran dry while playing.
    bool TakeUnderflow();
    // Plays what is queued to its end; Drained() tells when it has been.
    void Drain();
    bool Drained() const { return FDrained; }
    // Why the stream broke, or empty.
    QString Failure();

private:
    TPcmFormat FFormat;
    std::unique_ptr<TPulseClient> FClient;
    pa_stream *FStream = nullptr;
    pa_operation *FDrain = nullptr;
    qint64 FWrittenBytes = 0;
    std::atomic<bool> FUnderflow{false};
    std::atomic<bool> FDrained{false};
    QString FFailure; // under the client's lock

    void Connect(qint64 ABufferBytes, qint64 AStartBytes);
    void Close();
    void Fail(const QString &AWhy);
    static void OnStreamState(pa_stream *AStream, void *ASelf);
    static void OnUnderflow(pa_stream *AStream, void *ASelf);
    static void OnDrained(pa_stream *AStream, int ASuccess, void *ASelf);
};
