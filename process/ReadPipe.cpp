#include "process/ReadPipe.h"

#include "platform/WaitForAny.h"
#include "process/ProcessErrors.h"

#include <QByteArray>
#include <cerrno>
#include <sys/ioctl.h>
#include <unistd.h>

TReadPipe::TReadPipe(int AReadStdout, TCharDecoding AOnCharDecoding)
    : FOnCharDecoding(std::move(AOnCharDecoding))
    , Fread_stdout(AReadStdout)
{
    moveToThread(nullptr); // used from the reader and the worker thread, never by an event loop
    FThread = std::thread([this] { Execute(); });
}

TReadPipe::~TReadPipe()
{
    Terminate();
    WaitFor();
}

void TReadPipe::Terminate()
{
    FTerminated = true;
    FStopEvent.Set();
}

void TReadPipe::WaitFor()
{
    if (FThread.joinable())
        FThread.join();
}

void TReadPipe::Execute()
{
    try {
        ReadLoop();
    } catch (...) {
        // A failed read or decoding ends the reader; no further output arrives for the run.
    }
}

void TReadPipe::ReadLoop()
{
    char buffer[ReadAhead];
    while (WaitForRoom()) {
        const ssize_t n = read(Fread_stdout, buffer, sizeof buffer);
        if (n > 0) {
            Deliver(buffer, n);
        } else if (n == 0) {
            WaitForStop(); // every writer has closed the pipe: nothing more can come
            return;
        } else if (errno == EAGAIN) {
            Platform::WaitForAny({Fread_stdout, FStopEvent.Fd()});
        } else if (errno != EINTR) {
            throw EAssertionFailed();
        }
    }
    Drain();
}

void TReadPipe::Deliver(const char *ABytes, qsizetype ACount)
{
    QString text;
    try {
        for (qsizetype offset = 0; offset < ACount; offset += ReadSize) {
            const QByteArray piece(ABytes + offset, std::min<qsizetype>(ReadSize, ACount - offset));
            if (FOnCharDecoding)
                text += FOnCharDecoding(this, piece);
        }
    } catch (...) {
        Publish(text); // the pieces before the failing one still arrive
        throw;
    }
    Publish(text);
}

void TReadPipe::Publish(const QString &AText)
{
    // Text added to text the worker has not taken yet needs no second wake-up:
    // the worker takes everything there is before it waits again.
    if (FSyncString.Add(AText))
        FEvent.Set();
}

// Reads what the pipe holds now, in the usual pieces, and no more: a process
// that inherited the pipe and keeps writing cannot hold the reader here.
void TReadPipe::Drain()
{
    int available = 0;
    if (ioctl(Fread_stdout, FIONREAD, &available) != 0)
        return;
    char buffer[ReadAhead];
    while (available > 0) {
        const ssize_t n = read(Fread_stdout, buffer, std::min<size_t>(sizeof buffer, size_t(available)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        Deliver(buffer, n);
        available -= int(n);
    }
}

QString TReadPipe::Take()
{
    QString text = FSyncString.Take();
    // Only text the reader adds to and this removes is in there, so a reader
    // that found it full and waits for room finds it taken here, in full.
    if (text.size() >= MaxBuffered)
        FRoomEvent.Set();
    return text;
}

bool TReadPipe::WaitForRoom()
{
    while (!FTerminated && FSyncString.Length() >= MaxBuffered) {
        Platform::WaitForAny({FRoomEvent.Fd(), FStopEvent.Fd()});
        FRoomEvent.Consume();
    }
    return !FTerminated;
}

void TReadPipe::WaitForStop()
{
    while (!FTerminated)
        Platform::WaitForAny({FStopEvent.Fd()});
}
