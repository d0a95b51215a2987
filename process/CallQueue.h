#pragma once

#include "platform/Event.h"

#include <QMutex>
#include <QString>
#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <type_traits>
#include <vector>

class QObject;

// Calls handed from a worker thread to the thread of a target object, run
// there one at a time in the order they were posted. Posting a call costs an
// append; only when no "run the queue" call is pending is one posted to the
// target's event loop, so a burst of output costs one wake-up of that loop,
// not one per call.
//
// The target's thread runs the calls in slices of a few milliseconds and goes
// back to its event loop between two slices, so input and timers are served
// during a flood; the next slice goes on where the last one stopped. The calls
// are taken one by one, so a call that starts a nested event loop (a message
// box) still sees the later calls run inside it, in order.
//
// The backlog is bounded: once Backlog calls wait for the target's thread the
// queue is Full, and the worker takes no more work until Room is set again
// (when half of them have run). Detach, on the target's thread, drops every
// call not yet run and makes later posts do nothing; a dropped call is
// destroyed unrun.
//
// Calls are gathered on the worker's side first (Post) and published with
// Flush as one batch, so the shared lock is taken once per batch on either
// side and a batch is never copied.
class TCallQueue : public std::enable_shared_from_this<TCallQueue>
{
public:
    // Calls handed over and not yet run at which the queue is full.
    static constexpr qsizetype Backlog = 8192;
    // Time the target's thread spends on calls before it serves its event loop again.
    static constexpr int SliceMs = 4;

    // One call. The frequent ones (a line, a character) are a plain function
    // with its arguments stored in place, so posting them allocates nothing;
    // any other call is a closure.
    struct TCall
    {
        using TFunction = void (*)(void *AContext, const QString &AText, int AValue);

        TCall() = default;
        TCall(TFunction AFunction, void *AContext, QString AText, int AValue)
            : Function(AFunction)
            , Context(AContext)
            , Text(std::move(AText))
            , Value(AValue)
        {}
        template <class F>
        requires std::is_invocable_v<F &> TCall(F &&AClosure)
            : Closure(std::forward<F>(AClosure))
        {}

        void operator()() { Function ? Function(Context, Text, Value) : Closure(); }

        TFunction Function = nullptr;
        void *Context = nullptr;
        QString Text;
        int Value = 0;
        std::function<void()> Closure;
    };

    // AContext is kept as long as the queue, and the queue as long as one of
    // its calls runs: what the plain functions' contexts point into stays valid
    // for every call, even after the worker has gone.
    TCallQueue(QObject *ATarget, std::shared_ptr<void> AContext);
    ~TCallQueue();

    // Worker's side. Post keeps the call until the next Flush.
    void Post(TCall ACall);
    // Hands the kept calls to the target's thread; false once detached.
    bool Flush();
    // The target's thread is Backlog calls behind.
    bool Full();
    // Manual-reset; set while the queue is not full.
    Platform::TEvent &Room() { return FRoom; }

    // Target's side.
    void Detach();

private:
    using TBatch = std::vector<TCall>;

    void RunQueued();
    // Under FLock: asks the target's loop to run the queue, once.
    void ScheduleLocked();
    bool TakeNext(TCall &ACall);
    // Target's side: makes the next batch the running one.
    bool Refill();
    void KeepScheduled();
    void Taken();
    void UpdateRoomLocked();

    const std::shared_ptr<void> FContext;
    TBatch FPending; // worker only

    QMutex FLock;
    std::deque<TBatch> FIncoming; // guarded by FLock
    QObject *FTarget;             // guarded by FLock; nullptr once detached
    // Set under FLock; cleared only by the target's thread, so that thread
    // may read it without the lock.
    std::atomic<bool> FScheduled{false};
    std::atomic<qsizetype> FWaiting{0}; // handed over, not yet taken
    std::atomic<bool> FFull{false};     // set and cleared under FLock
    Platform::TEvent FRoom{true};

    // Target's thread only: the batch being run and the next one to run in
    // it, and batches taken over but not yet begun.
    TBatch FRunning;
    size_t FNext = 0;
    std::deque<TBatch> FReady;
    bool FDetached = false;
};
