#pragma once

namespace Platform {

// A waitable event on an eventfd, so it can sit in one poll() with pipes and
// process descriptors. Manual-reset: stays set until Reset. Auto-reset: the
// waiter that wakes on it clears it with Consume, so one Set wakes one wait;
// several Set calls before that count as one.
class TEvent
{
public:
    explicit TEvent(bool AManualReset);
    ~TEvent();
    TEvent(const TEvent &) = delete;
    TEvent &operator=(const TEvent &) = delete;

    void Set();
    void Reset();
    // Auto-reset: clears the event after a wait has reported it; returns
    // whether it was set. Manual-reset: only reports.
    bool Consume();
    bool IsSet() const;
    bool ManualReset() const { return FManualReset; }
    int Fd() const { return FFd; }

private:
    int FFd = -1;
    bool FManualReset = false;
};

} // namespace Platform
