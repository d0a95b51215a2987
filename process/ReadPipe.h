#pragma once

#include "platform/Event.h"
#include "process/ProcessRunnerTypes.h"
#include "process/SyncString.h"

#include <QObject>
#include <atomic>
#include <thread>

// The reader thread of one run: blocks on the output pipe, turns every read
// (at most 1024 bytes) into text through the decoding callback, appends it to
// ReadString and sets Event. Its creator terminates it, waits for it and frees
// it; the pipe's descriptor belongs to the creator.
class TReadPipe : public QObject
{
public:
    static constexpr int ReadSize = 1024;

    // Starts reading at once. AReadStdout must be non-blocking.
    TReadPipe(int AReadStdout, TCharDecoding AOnCharDecoding);
    ~TReadPipe() override;

    // Asks the reader to end. Before it ends it still reads and delivers what
    // the pipe holds at that moment, so output written just before a child
    // ended is not lost; what arrives later is left unread.
    void Terminate();
    void WaitFor();

    // Auto-reset; set after each read's text has been appended.
    Platform::TEvent &Event() { return FEvent; }
    TSyncString &ReadString() { return FSyncString; }

private:
    void Execute();
    void ReadLoop();
    void Deliver(const char *ABytes, qsizetype ACount);
    void Drain();
    void WaitForStop();

    Platform::TEvent FEvent{false};
    TCharDecoding FOnCharDecoding;
    int Fread_stdout;
    TSyncString FSyncString;
    // Wakes a reader that sleeps on an empty pipe; never written into the
    // pipe, so nothing foreign can reach the output.
    Platform::TEvent FStopEvent{true};
    std::atomic<bool> FTerminated{false};
    std::thread FThread;
};
