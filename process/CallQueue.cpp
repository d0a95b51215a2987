#include "process/CallQueue.h"

#include <QObject>
#include <iterator>
#include <mutex>

namespace {

// Qt hands a posted call to the target's thread under locks inside its own
// library, which ThreadSanitizer does not see. This lock, held while posting
// and taken before the posted call reads anything, lets it see that order.
// It is taken once per posted run of the queue, never contended for long.
std::mutex PostingLock;

} // namespace

TCallQueue::TCallQueue(QObject *ATarget, std::shared_ptr<void> AContext)
    : FContext(std::move(AContext))
    , FTarget(ATarget)
{
}

// Appends the calls of AFrom to ATo, in order, and empties AFrom.
void TCallQueue::MoveAll(std::deque<TCall> &AFrom, std::deque<TCall> &ATo)
{
    if (ATo.empty())
        ATo.swap(AFrom);
    else
        ATo.insert(ATo.end(), std::make_move_iterator(AFrom.begin()), std::make_move_iterator(AFrom.end()));
    AFrom.clear();
}

void TCallQueue::Post(TCall ACall)
{
    FPending.push_back(std::move(ACall));
}

bool TCallQueue::Flush()
{
    std::deque<TCall> dropped;
    {
        QMutexLocker lock(&FLock);
        if (!FTarget) {
            dropped.swap(FPending); // destroyed unrun, outside the lock
            return false;
        }
        if (FPending.empty())
            return true;
        MoveAll(FPending, FIncoming);
        ScheduleLocked();
    }
    return true;
}

void TCallQueue::Detach()
{
    // Keeps this queue for the rest of the call: dropping a call may release
    // the worker, which then frees itself and its share of the queue.
    const std::shared_ptr<TCallQueue> self = shared_from_this();
    std::deque<TCall> dropped;
    {
        QMutexLocker lock(&FLock);
        FTarget = nullptr;
        dropped.swap(FIncoming);
    }
    FDetached = true;
    std::deque<TCall> running;
    running.swap(FRunning); // may be called from one of our calls: the loop only sees FDetached
}

void TCallQueue::ScheduleLocked()
{
    if (FScheduled || !FTarget)
        return;
    FScheduled = true;
    const std::lock_guard posting(PostingLock);
    QMetaObject::invokeMethod(
        FTarget,
        [self = shared_from_this()] {
            { const std::lock_guard posted(PostingLock); }
            self->RunQueued();
        },
        Qt::QueuedConnection);
}

void TCallQueue::RunQueued()
{
    {
        QMutexLocker lock(&FLock);
        FScheduled = false;
    }
    TCall call;
    while (TakeNext(call)) {
        call();
        call = {}; // what it holds goes now (a waiting worker is released), not with the next call
    }
}

// Takes the next call in order. While more wait, a run of the queue stays
// scheduled, so that a nested event loop started by this call runs them.
bool TCallQueue::TakeNext(TCall &ACall)
{
    if (FDetached)
        return false;
    QMutexLocker lock(&FLock);
    if (FRunning.empty())
        MoveAll(FIncoming, FRunning);
    if (FRunning.empty())
        return false;
    ACall = std::move(FRunning.front());
    FRunning.pop_front();
    if (!FRunning.empty() || !FIncoming.empty())
        ScheduleLocked();
    return true;
}
