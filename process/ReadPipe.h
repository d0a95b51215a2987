#pragma once

#include "platform/Event.h"
#include "process/ProcessRunnerTypes.h"
#include "process/SyncString.h"

#include <QObject>
#include <atomic>
#include <thread>

// The reader thread of one run: blocks on the output pipe, turns every piece
// of at most 1024 bytes into text through the decoding callback, appends it to
// ReadString and sets Event. One system call takes up to ReadAhead bytes, so
// a flood costs one read per 16 pieces, not one per piece. Its creator terminates it, waits for it and frees
// it; the pipe's descriptor belongs to the creator.
//
// It keeps at most about MaxBuffered characters that nobody has taken: beyond
// that it stops reading until Take makes room, and the child then waits on its
// full pipe, as it would with any reader that is behind.
class TReadPipe : public QObject
{
public:
    // The most the decoding callback is given at once.
    static constexpr int ReadSize = 1024;
    static constexpr int ReadAhead = 16 * ReadSize;
    static constexpr int MaxBuffered = 64 * 1024;

    // Starts reading at once. AReadStdout must be non-blocking.
    TReadPipe(int AReadStdout, TCharDecoding AOnCharDecoding);
    ~TReadPipe() override;

    // Asks the reader to end. Before it ends it still reads and delivers what
    // the pipe holds at that moment, so output written just before a child
    // ended is not lost; what arrives later is left unread.
    void Terminate();
    void WaitFor();

    // Auto-reset; set when a read's text has been appended to an empty ReadString.
    Platform::TEvent &Event() { return FEvent; }
    TSyncString &ReadString() { return FSyncString; }
    // Everything in ReadString, removed in one step; lets the reader go on.
    QString Take();

private:
    void Execute();
    void ReadLoop();
    void Deliver(const char *ABytes, qsizetype ACount);
    void Publish(const QString &AText);
    void Drain();
    void WaitForStop();
    // Sleeps while ReadString is full; false when asked to end meanwhile.
    bool WaitForRoom();

    Platform::TEvent FEvent{false};
    TCharDecoding FOnCharDecoding;
    int Fread_stdout;
    TSyncString FSyncString;
    // Wakes a reader that sleeps on an empty pipe; never written into the
    // pipe, so nothing foreign can reach the output.
    Platform::TEvent FStopEvent{true};
    // Auto-reset; set by Take.
    Platform::TEvent FRoomEvent{false};
    std::atomic<bool> FTerminated{false};
    std::thread FThread;
};
