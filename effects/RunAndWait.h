#pragma once

#include <QString>

// How a RunAndWait call went.
struct TRunAndWaitResult
{
    bool Started = false; // the program was found and started
    int StartError = 0;   // the error number when it was not
    int ExitCode = -1;    // its exit status once ended (128 + n after signal n)
    bool Stopped = false; // ended early because AStopFd became readable

    // Started, not stopped, and ended with exit code 0.
    bool Succeeded() const { return Started && !Stopped && ExitCode == 0; }
};

// Runs ACommandLine in the folder AFolder and returns when it has ended.
// The line is split by the Windows rules and started directly, never through
// a shell, so nothing in a file name is interpreted. The child reads nothing
// (its standard input is /dev/null, never our terminal); what it writes to
// its standard output and error is read and thrown away, so it can never
// block on a full pipe. When AStopFd (if not -1) becomes readable, the child
// is killed and the call returns as soon as it has ended; AStopFd is not read.
TRunAndWaitResult RunAndWait(const QString &ACommandLine, const QString &AFolder, int AStopFd = -1);
