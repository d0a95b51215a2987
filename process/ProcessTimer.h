#pragma once

#include "platform/Event.h"

#include <QMutex>
#include <atomic>

class QTimer;

// Counts whole seconds since a run began and since its last line of output,
// and wakes the worker once a second so it can check the time limits.
// The tick is a timer of the thread that enables it, delivered by that
// thread's event loop: while the loop is blocked no ticks arrive, and missed
// ones are not made up. The counters count delivered ticks.
class TProcessTimer
{
public:
    static constexpr int DefaultInterval = 1000; // ms

    TProcessTimer();
    ~TProcessTimer();
    TProcessTimer(const TProcessTimer &) = delete;
    TProcessTimer &operator=(const TProcessTimer &) = delete;

    // Both counters to 0, then the tick running.
    void Beginning();
    // The tick stopped.
    void Ending();
    // A line of output ended: the time since the last output starts again.
    void NewOutput();

    bool Enabled() const { return FEnabled; }
    // Raises EProcessTimer "could not start timer" when this thread cannot run
    // a timer, "could not kill timer" when called on another thread than the
    // one that started it.
    void SetEnabled(bool AValue);
    // Auto-reset; set on every tick.
    Platform::TEvent &Event() { return FEvent; }
    int SinceBeginning();
    int SinceLastOutput();
    // Identifier of the running tick, as the tick callback receives it.
    int ID() const { return FID; }
    // Milliseconds between ticks; a running tick takes a new interval at once.
    int Interval() const { return FInterval; }
    void SetInterval(int AValue);

private:
    friend void ProcessTimerProc(int AID);

    void Start();
    void Kill();

    QMutex FCriticalSection;
    bool FEnabled = false;
    Platform::TEvent FEvent{false};
    int FID = 0;
    int FInterval = DefaultInterval;
    std::atomic<qint32> FSinceBeginning{0};
    std::atomic<qint32> FSinceLastOutput{0};
    QTimer *FTimer = nullptr;
};

// The tick callback: finds the enabled timer with AID and counts one tick for
// it; a late tick of a timer already disabled finds nothing and is ignored.
void ProcessTimerProc(int AID);
