#include "effects/RunAndWait.h"

#include "platform/ChildProcess.h"
#include "platform/NullDevice.h"
#include "platform/Pipe.h"

TRunAndWaitResult RunAndWait(const QString &ACommandLine, const QString &AFolder)
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
    Platform::DiscardInput(output.ReadEnd());
    child.WaitForEnd(-1);
    result.ExitCode = child.ExitCode();
    return result;
}
