#pragma once

#include <memory>

namespace Platform {
class TTerminationSignals;
}

// While it lives, SIGINT, SIGTERM and SIGHUP (the terminal that started the
// window was closed) end the event loop (exit code 128 + the signal) instead of
// the process, so the window and everything it owns are destroyed as on a
// normal exit: a save under way stops and removes its unfinished file, the work
// file goes.
class TQuitOnTermination
{
public:
    TQuitOnTermination();
    ~TQuitOnTermination();
    TQuitOnTermination(const TQuitOnTermination &) = delete;
    TQuitOnTermination &operator=(const TQuitOnTermination &) = delete;

private:
    std::unique_ptr<Platform::TTerminationSignals> FSignals;
};
