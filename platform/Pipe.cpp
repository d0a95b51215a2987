#include "platform/Pipe.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace Platform {

namespace {

void CloseFd(int &AFd)
{
    if (AFd >= 0)
        close(AFd);
    AFd = -1;
}

// Writing into a pipe whose reader is gone raises SIGPIPE for the writing
// thread. Keep it blocked on this thread while writing and take a pending one
// away afterwards, so only the error number reports it.
class TSigPipeGuard
{
public:
    TSigPipeGuard()
    {
        sigset_t pipeSet;
        sigemptyset(&pipeSet);
        sigaddset(&pipeSet, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        FWasPending = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipeSet, &FOldMask);
    }
    ~TSigPipeGuard()
    {
        if (FRaised && !FWasPending) {
            sigset_t pipeSet;
            sigemptyset(&pipeSet);
            sigaddset(&pipeSet, SIGPIPE);
            const timespec zero{0, 0};
            while (sigtimedwait(&pipeSet, nullptr, &zero) < 0 && errno == EINTR) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &FOldMask, nullptr);
    }
    void Raised() { FRaised = true; }

private:
    sigset_t FOldMask;
    bool FWasPending = false;
    bool FRaised = false;
};

} // namespace

TPipe::~TPipe()
{
    CloseRead();
    CloseWrite();
}

int TPipe::Create()
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return errno;
    CloseRead();
    CloseWrite();
    FRead = fds[0];
    FWrite = fds[1];
    return 0;
}

void TPipe::CloseRead()
{
    CloseFd(FRead);
}

void TPipe::CloseWrite()
{
    CloseFd(FWrite);
}

void SetNonBlocking(int AFd)
{
    const int flags = fcntl(AFd, F_GETFL);
    if (flags >= 0)
        fcntl(AFd, F_SETFL, flags | O_NONBLOCK);
}

int WriteAll(int AFd, const QByteArray &AData, int AAbortFd)
{
    TSigPipeGuard guard;
    qsizetype done = 0;
    while (done < AData.size()) {
        const ssize_t n = write(AFd, AData.constData() + done, size_t(AData.size() - done));
        if (n >= 0) {
            done += n;
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno == EPIPE)
            guard.Raised();
        if (errno != EAGAIN)
            return errno;
        pollfd fds[2] = {{AFd, POLLOUT, 0}, {AAbortFd, POLLIN, 0}};
        while (poll(fds, 2, -1) < 0 && errno == EINTR) {
        }
        if (fds[1].revents != 0)
            return ECANCELED;
    }
    return 0;
}

void DiscardInput(int AFd)
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(AFd, buffer, sizeof buffer);
        if (n <= 0 && !(n < 0 && errno == EINTR))
            return;
    }
}

} // namespace Platform
