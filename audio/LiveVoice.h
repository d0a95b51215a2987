#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

class TLiveFilterGraph;
class TPulseRecordStream;
struct pa_simple;

// The live chain: a recording stream from a source of the sound server, one
// effect's filter graph in-process, a playback stream into a sink, run block
// by block (256 frames, 5.8 ms) on a thread of its own. The effect can be
// swapped while it runs; level peaks and the latency are read from any thread.
class TLiveVoice : public QObject
{
    Q_OBJECT

public:
    static constexpr int BlockFrames = 256;
    // What the playback stream keeps queued; less gives dropouts on a busy machine.
    static constexpr int PlaybackBufferMs = 30;

    explicit TLiveVoice(QObject *AParent = nullptr);
    ~TLiveVoice() override;

    // Opens the streams (a source and a sink by name, empty for the server's
    // default) and starts the chain with AGraph. Raises ESoundServerError
    // when the server or a device is missing, std::runtime_error for a graph
    // that does not build; nothing runs then.
    void Start(const QString &ASource, const QString &ASink, const QString &AGraph);
    // Ends the chain and closes the streams; the thread is joined.
    void Stop();
    bool Running() const { return FThread.joinable(); }

    // Builds AGraph here (a graph that does not build raises and changes
    // nothing) and hands it to the chain, which takes it at the next block:
    // the old effect fades out over that block and the new one fades in.
    void SetGraph(const QString &AGraph);

    // The highest sample magnitude (0 to 1) since the last call.
    float TakeInputPeak();
    float TakeOutputPeak();
    // Recording buffer + what the effect holds + playback buffer, in ms.
    int LatencyMs() const { return FLatencyMs.load(); }
    // Blocks carried from the input to the output so far.
    long long Blocks() const { return FBlocks.load(); }

signals:
    // The chain stopped by itself (the server or a device went away).
    void Failed(const QString &AMessage);

private:
    std::unique_ptr<TPulseRecordStream> FRecord;
    pa_simple *FPlayback = nullptr;
    std::unique_ptr<TLiveFilterGraph> FGraph;
    std::mutex FNextLock;
    std::unique_ptr<TLiveFilterGraph> FNextGraph;
    std::atomic<bool> FStopping = false;
    std::atomic<int> FInputPeak = 0;
    std::atomic<int> FOutputPeak = 0;
    std::atomic<int> FLatencyMs = 0;
    std::atomic<long long> FBlocks = 0;
    std::thread FThread;

    void CloseStreams();
    void Run();
    void Carry();
    std::unique_ptr<TLiveFilterGraph> TakeNextGraph();
    void UpdateLatency(long long AGraphFrames);
};
