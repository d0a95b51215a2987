#pragma once

#include <QMutex>
#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <type_traits>

class QObject;

// Calls handed from a worker thread to the thread of a target object, run
// there one at a time in the order they were posted. Posting a call costs an
// append; only when no "run the queue" call is pending is one posted to the
// target's event loop, so a burst of output costs one wake-up of that loop,
// not one per call.
//
// The target's thread takes the calls one by one, so a call that starts a
// nested event loop (a message box) still sees the later calls run inside it,
// in order. Detach, on the target's thread, drops every call not yet run and
// makes later posts do nothing; a dropped call is destroyed unrun.
//
// Calls are gathered on the worker's side first (Post) and published with
// Flush, so the shared lock is taken once per batch.
class TCallQueue : public std::enable_shared_from_this<TCallQueue>
{
public:
    // One call. The frequent ones (a line, a character) are a plain function
    // with its arguments stored in place, so posting them allocates nothing;
    // any other call is a closure.
    struct TCall
    {
        using TFunction = void (*)(void *AContext, const QString &AText, int AValue);

        TCall() = default;
        TCall(TFunction AFunction, void *AContext, QString AText, int AValue)
            : Function(AFunction), Context(AContext), Text(std::move(AText)), Value(AValue)
        {
        }
        template <class F> requires std::is_invocable_v<F &> TCall(F &&AClosure) : Closure(std::forward<F>(AClosure)) {}

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

    // Worker's side. Post keeps the call until the next Flush.
    void Post(TCall ACall);
    // Hands the kept calls to the target's thread; false once detached.
    bool Flush();

    // Target's side.
    void Detach();

private:
    static void MoveAll(std::deque<TCall> &AFrom, std::deque<TCall> &ATo);
    void RunQueued();
    // Under FLock: asks the target's loop to run the queue, once.
    void ScheduleLocked();
    bool TakeNext(TCall &ACall);

    const std::shared_ptr<void> FContext;
    std::deque<TCall> FPending; // worker only

    QMutex FLock;
    std::deque<TCall> FIncoming; // guarded by FLock
    QObject *FTarget;             // guarded by FLock; nullptr once detached
    bool FScheduled = false;      // guarded by FLock

    std::deque<TCall> FRunning; // target's thread only
    bool FDetached = false;     // target's thread only
};
