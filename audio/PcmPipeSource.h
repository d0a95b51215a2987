#pragma once

#include "platform/ChildProcess.h"
#include "platform/Pipe.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

// Raw sound from a child program that writes it to its standard output (ffmpeg
// with "pipe:1"). A thread reads the pipe into a buffer of at most AAheadBytes,
// so the child computes ahead of the listener and then waits on the full pipe;
// the child's error output is kept for the message when it fails.
// Start, Stop, Take and the queries belong to the owner's thread.
class TPcmPipeSource
{
public:
    explicit TPcmPipeSource(qint64 AAheadBytes);
    // Stops: the child is killed and the thread joined.
    ~TPcmPipeSource();
    TPcmPipeSource(const TPcmPipeSource &) = delete;
    TPcmPipeSource &operator=(const TPcmPipeSource &) = delete;

    // Starts AArguments (the program first). Returns 0 or the error number.
    int Start(const QStringList &AArguments);
    // Kills the child, joins the thread and drops what was buffered.
    void Stop();

    bool Running() const { return FThread.joinable(); }
    qint64 Available() const;
    // Up to AMaxBytes from the front of the buffer.
    QByteArray Take(qint64 AMaxBytes);
    // The child's output has ended, the child has been reaped and everything it
    // wrote has been buffered (some of it may still be waiting in Available).
    bool Ended();
    // The child's exit status, once Ended.
    int ExitCode() const { return FChild ? FChild->ExitCode() : 0; }
    // The child's error output, trimmed.
    QString ErrorText() const;

private:
    void ReadLoop(int AOutFd, int AErrFd);
    bool ReadInto(int AFd, bool AIsOutput);

    const qint64 FAheadBytes;
    std::unique_ptr<Platform::TChildProcess> FChild; // one per start
    Platform::TPipe FOut;
    Platform::TPipe FErr;
    std::thread FThread;
    mutable std::mutex FMutex;
    std::condition_variable FRoom;
    QByteArray FBuffer;
    QByteArray FErrorOutput;
    bool FStopping = false;
    std::atomic<bool> FOutputEnded{false};
};
