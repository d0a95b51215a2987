#include "effects/RunAndWait.h"

#include "platform/ChildProcess.h"
#include "platform/NullDevice.h"
#include "platform/Pipe.h"
#include "platform/WaitForAny.h"

#include <cerrno>
#include <unistd.h>

namespace {

// Reads AOutputFd to its end, keeping nothing; false when AStopFd became
// readable first.
bool DiscardUnlessStopped(int AOutputFd, int AStopFd)
{
    Platform::SetNonBlocking(AOutputFd);
    char buffer[4096];
    for (;;) {
        if (Platform::WaitForAny({AStopFd, AOutputFd}) == 0)
            return false;
        const ssize_t n = read(AOutputFd, buffer, sizeof buffer);
        if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN))
            return true;
    }
}

} // namespace

TRunAndWaitResult RunAndWait(const QString &ACommandLine, const QString &AFolder, int AStopFd)
{
    TRunAndWaitResult result;
    Platform::TPipe output;
    if ((result.StartError = output.Create()) != 0)
        return result;
    const Platform::TNullInput input;
    if ((result.StartError = input.Error()) != 0)
        return result;

    Platform::TChildOptions options;
    options.StdIn = input.Fd();
    options.StdOut = output.WriteEnd();
    options.StdErr = output.WriteEnd();
    options.WorkingFolder = AFolder;
    Platform::TChildProcess child;
    result.StartError = child.Start(ACommandLine, options);
    // Our copy of the write end must go, or the read below never sees the end.
    output.CloseWrite();
    if (result.StartError != 0)
        return result;

    result.Started = true;
    if (!DiscardUnlessStopped(output.ReadEnd(), AStopFd)) {
        result.Stopped = true;
        child.Kill();
    }
    child.WaitForEnd(-1);
    result.ExitCode = child.ExitCode();
    return result;
}
