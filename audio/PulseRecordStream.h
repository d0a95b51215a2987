#pragma once

#include "audio/PulseClient.h"

#include <QString>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

struct pa_stream;

// A recording stream from a source of the sound server that copies every
// fragment out as it arrives. The simple client API keeps a fragment of the
// server's shared memory held between reads, and when the server dies then,
// its teardown waits for that fragment forever: live voice must survive a
// server restart, so nothing is held here.
class TPulseRecordStream
{
public:
    // Connects to ASource (empty: the server's default) for 16-bit stereo at
    // ARate, handed over AFragmentBytes at a time. Raises ESoundServerError.
    TPulseRecordStream(const QString &ASource, int ARate, uint32_t AFragmentBytes);
    ~TPulseRecordStream();
    TPulseRecordStream(const TPulseRecordStream &) = delete;
    TPulseRecordStream &operator=(const TPulseRecordStream &) = delete;

    // Waits until ABytes are there and copies them. False once the stream
    // failed (AError then says why) or Interrupt() was called. A backlog that
    // stays above a fragment for half a second is dropped down to one, oldest
    // first: live sound must not come later and later.
    bool Read(void *AData, size_t ABytes, QString &AError);
    // Makes a waiting or later Read return false at once.
    void Interrupt();
    // What the server and this stream hold, in microseconds.
    uint64_t LatencyUs();

private:
    std::unique_ptr<TPulseClient> FClient;
    pa_stream *FStream = nullptr;
    int FRate;
    size_t FFragmentBytes;
    size_t FLeastLeft = SIZE_MAX;
    std::chrono::steady_clock::time_point FWindowStart = std::chrono::steady_clock::now();

    std::mutex FLock;
    std::condition_variable FArrived;
    std::vector<uint8_t> FBuffer;
    QString FFailure;
    bool FInterrupted = false;

    void Connect(const QString &ASource, uint32_t AFragmentBytes);
    void Close();
    void DropLastingBacklog();
    void Fail(const QString &AMessage);
    static void OnStreamState(pa_stream *AStream, void *ASelf);
    static void OnRead(pa_stream *AStream, size_t ALength, void *ASelf);
};
