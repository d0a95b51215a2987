#pragma once

#include "platform/Pipe.h"

#include <csignal>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace Platform {

// Turns SIGINT and SIGTERM into a call on the event loop of the thread that
// creates the watcher. The signal handler only writes the signal number into a
// pipe (all it may safely do); the loop reads it and calls OnSignal. One
// watcher at a time per process; the previous handlers come back when it goes.
class TTerminationSignals
{
public:
    // Raises EOSError when the pipe or a handler cannot be set up.
    TTerminationSignals();
    ~TTerminationSignals();
    TTerminationSignals(const TTerminationSignals &) = delete;
    TTerminationSignals &operator=(const TTerminationSignals &) = delete;

    std::function<void(int ASignal)> OnSignal;

    // Readable while a signal waits to be handed to OnSignal: a blocking wait
    // elsewhere can watch it, since the event loop does not run meanwhile.
    int PendingFd() const { return FPipe.ReadEnd(); }

    // Hands the signals that arrived to OnSignal now, not on the next turn of
    // the event loop.
    void ReadSignals();

private:
    TPipe FPipe;
    std::unique_ptr<QSocketNotifier> FNotifier;
    struct sigaction FOldInt = {};
    struct sigaction FOldTerm = {};
};

} // namespace Platform
