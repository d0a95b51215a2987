#include "app/RunAndWait.h"

#include "platform/ChildProcess.h"
#include "platform/Pipe.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Reads the pipe to its end, keeping nothing.
void DiscardOutput(int AFd)
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(AFd, buffer, sizeof buffer);
        if (n > 0 || (n < 0 && errno == EINTR))
            continue;
        return;
    }
}

// /dev/null for reading, closed when it goes out of scope.
class TNullInput
{
public:
    TNullInput() : FFd(open("/dev/null", O_RDONLY | O_CLOEXEC)) {}
    ~TNullInput()
    {
        if (FFd >= 0)
            close(FFd);
    }
    TNullInput(const TNullInput &) = delete;
    TNullInput &operator=(const TNullInput &) = delete;
    int Fd() const { return FFd; }

private:
    int FFd;
};

} // namespace

TRunAndWaitResult RunAndWait(const QString &ACommandLine, const QString &AFolder)
{
    TRunAndWaitResult result;
    Platform::TPipe output;
    if (const int error = output.Create()) {
        result.StartError = error;
        return result;
    }
    TNullInput input;
    if (input.Fd() < 0) {
        result.StartError = errno;
        return result;
    }

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
    DiscardOutput(output.ReadEnd());
    child.WaitForEnd(-1);
    result.ExitCode = child.ExitCode();
    return result;
}
