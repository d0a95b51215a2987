#pragma once

#include "platform/Pipe.h"

#include <csignal>
#include <functional>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

class QSocketNotifier;

namespace Platform {

// Turns SIGINT and SIGTERM (or the signals given) into a call on the event
// loop of the thread that creates the watcher. The signal handler only writes
// the signal number into a pipe (all it may safely do); the loop reads it and
// calls OnSignal. One watcher at a time per process; the previous handlers come
// back when it goes. A SIGHUP that was ignored when the watcher came (the
// program runs under nohup) stays ignored.
class TTerminationSignals
{
public:
    // Raises EOSError when the pipe or a handler cannot be set up.
    explicit TTerminationSignals(std::initializer_list<int> ASignals = {SIGINT, SIGTERM});
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
    // The signals taken, each with the action it replaced.
    std::vector<std::pair<int, struct sigaction>> FReplaced;

    void Install(int ASignal);
    void RestoreReplaced();
};

} // namespace Platform
