#include "audio/PcmPipeSource.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace {

constexpr qint64 ReadChunk = 16384;
// The child's error output is only for a message; a flood of it is cut.
constexpr qsizetype ErrorOutputLimit = 16384;

} // namespace

TPcmPipeSource::TPcmPipeSource(qint64 AAheadBytes) : FAheadBytes(AAheadBytes) {}

TPcmPipeSource::~TPcmPipeSource()
{
    Stop();
}

int TPcmPipeSource::Start(const QStringList &AArguments)
{
    Stop();
    if (int error = FOut.Create())
        return error;
    if (int error = FErr.Create())
        return error;
    Platform::TChildOptions options;
    options.StdOut = FOut.WriteEnd();
    options.StdErr = FErr.WriteEnd();
    FChild = std::make_unique<Platform::TChildProcess>();
    if (int error = FChild->Start(AArguments, options)) {
        FOut.CloseRead();
        FOut.CloseWrite();
        FErr.CloseRead();
        FErr.CloseWrite();
        return error;
    }
    // Only the child writes now, so its end is our end of file.
    FOut.CloseWrite();
    FErr.CloseWrite();
    FOutputEnded = false;
    FStopping = false;
    FThread = std::thread(&TPcmPipeSource::ReadLoop, this, FOut.ReadEnd(), FErr.ReadEnd());
    return 0;
}

void TPcmPipeSource::Stop()
{
    if (!FThread.joinable())
        return;
    {
        std::lock_guard lock(FMutex);
        FStopping = true;
    }
    FRoom.notify_all();
    // The killed child's ends close, which ends the thread's reads.
    FChild->Kill();
    FThread.join();
    FChild->WaitForEnd(-1);
    FOut.CloseRead();
    FErr.CloseRead();
    std::lock_guard lock(FMutex);
    FBuffer.clear();
    FErrorOutput.clear();
}

qint64 TPcmPipeSource::Available() const
{
    std::lock_guard lock(FMutex);
    return FBuffer.size();
}

QByteArray TPcmPipeSource::Take(qint64 AMaxBytes)
{
    QByteArray taken;
    {
        std::lock_guard lock(FMutex);
        taken = FBuffer.left(AMaxBytes);
        FBuffer.remove(0, taken.size());
    }
    if (!taken.isEmpty())
        FRoom.notify_all();
    return taken;
}

bool TPcmPipeSource::Ended()
{
    // The child is only ever touched on the owner's thread; the reader tells
    // through the flag that everything it wrote has been read.
    return FOutputEnded && FChild && FChild->TryReap();
}

QString TPcmPipeSource::ErrorText() const
{
    std::lock_guard lock(FMutex);
    return QString::fromLocal8Bit(FErrorOutput).trimmed();
}

void TPcmPipeSource::ReadLoop(int AOutFd, int AErrFd)
{
    bool outOpen = true, errOpen = true;
    while (outOpen || errOpen) {
        bool wantOutput = outOpen;
        if (outOpen) {
            std::unique_lock lock(FMutex);
            // While the buffer is full the child waits on the pipe; the error
            // output is still read, so a failing child is never stuck on it.
            if (!errOpen)
                FRoom.wait(lock, [this] { return FStopping || FBuffer.size() < FAheadBytes; });
            if (FStopping)
                break;
            wantOutput = FBuffer.size() < FAheadBytes;
        }
        pollfd fds[2] = {{wantOutput ? AOutFd : -1, POLLIN, 0}, {errOpen ? AErrFd : -1, POLLIN, 0}};
        // A bounded wait, so a full buffer is looked at again once drained.
        const int ready = poll(fds, 2, wantOutput || !outOpen ? -1 : 20);
        if (ready < 0 && errno != EINTR)
            break;
        if (fds[0].revents != 0)
            outOpen = ReadInto(AOutFd, true);
        if (fds[1].revents != 0)
            errOpen = ReadInto(AErrFd, false);
        std::lock_guard lock(FMutex);
        if (FStopping)
            break;
    }
    FOutputEnded = !outOpen;
}

bool TPcmPipeSource::ReadInto(int AFd, bool AIsOutput)
{
    char chunk[ReadChunk];
    const ssize_t count = read(AFd, chunk, sizeof chunk);
    if (count < 0)
        return errno == EINTR || errno == EAGAIN;
    if (count == 0)
        return false;
    std::lock_guard lock(FMutex);
    if (AIsOutput)
        FBuffer.append(chunk, count);
    else if (FErrorOutput.size() < ErrorOutputLimit)
        FErrorOutput.append(chunk, count);
    return true;
}
