#pragma once

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <sys/prctl.h>
#include <thread>
#include <unistd.h>

// Turns a hang into a report: unless it is destroyed within ASeconds, it prints
// every thread's backtrace of this process (with gdb, when installed) and
// aborts, so a test that would hang leaves the stacks of its deadlock behind.
class THangWatch
{
public:
    THangWatch(int ASeconds, std::string AWhat)
        : FThread([this, ASeconds, what = std::move(AWhat)] {
            std::unique_lock lock(FMutex);
            if (FCondition.wait_for(lock, std::chrono::seconds(ASeconds), [this] { return FDone; }))
                return;
            std::fprintf(stderr, "Hang: %s did not end within %d s; the threads' stacks:\n", what.c_str(), ASeconds);
            prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY, 0, 0, 0);
            const std::string command = "gdb -q -p " + std::to_string(getpid())
                                        + " -batch -ex 'thread apply all bt' 1>&2 2>/dev/null"
                                          " || echo 'no gdb: no backtrace' 1>&2";
            [[maybe_unused]] const int status = std::system(command.c_str());
            std::abort();
        })
    {}

    ~THangWatch()
    {
        {
            const std::lock_guard lock(FMutex);
            FDone = true;
        }
        FCondition.notify_one();
        FThread.join();
    }

    THangWatch(const THangWatch &) = delete;
    THangWatch &operator=(const THangWatch &) = delete;

private:
    std::mutex FMutex;
    std::condition_variable FCondition;
    bool FDone = false;
    std::thread FThread; // last: starts once the members above exist
};
