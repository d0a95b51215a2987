#include "process/CallQueue.h"

#include "process/SanitizerHandOver.h"

#include <QDeadlineTimer>
#include <QObject>
#include <mutex>

namespace {

// Calls run between two looks at the clock.
constexpr int CallsPerClockLook = 32;

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
    FRoom.Set();
}

// Whoever drops the last share destroys the queue: what the other side did
// with it is ordered before by the reference count, which the marks repeat.
TCallQueue::~TCallQueue()
{
    SanitizerHandOver::Acquire(this);
}

void TCallQueue::Post(TCall ACall)
{
    FPending.push_back(std::move(ACall));
}

bool TCallQueue::Flush()
{
    TBatch dropped;
    const size_t size = FPending.size();
    {
        QMutexLocker lock(&FLock);
        if (!FTarget) {
            dropped.swap(FPending); // destroyed unrun, outside the lock
            return false;
        }
        if (size == 0)
            return true;
        FWaiting += qsizetype(size);
        FIncoming.push_back(std::move(FPending));
        ScheduleLocked();
        UpdateRoomLocked();
    }
    FPending.clear();
    FPending.reserve(size); // the next batch is likely as large: one allocation, not a doubling series
    return true;
}

bool TCallQueue::Full()
{
    return FFull;
}

void TCallQueue::Detach()
{
    // Keeps this queue for the rest of the call: dropping a call may release
    // the worker, which then frees itself and its share of the queue.
    const std::shared_ptr<TCallQueue> self = shared_from_this();
    std::deque<TBatch> dropped;
    {
        QMutexLocker lock(&FLock);
        FTarget = nullptr;
        dropped.swap(FIncoming);
        FFull = false;
        FRoom.Set(); // a worker held back goes on, and finds its posts dropped
    }
    // May be called from one of our calls, which RunQueued holds apart from
    // these: the loop only sees FDetached.
    FDetached = true;
    TBatch running;
    running.swap(FRunning);
    FNext = 0;
    std::deque<TBatch> ready;
    ready.swap(FReady);
    SanitizerHandOver::Release(this); // before self, perhaps the last share, goes
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
            {
                const std::lock_guard posted(PostingLock);
            }
            self->RunQueued();
            SanitizerHandOver::Release(self.get()); // before this share of the queue goes
        },
        Qt::QueuedConnection);
}

// Runs calls for one slice. A later slice is already scheduled whenever calls
// remain (TakeNext), so stopping at the end of the slice loses nothing.
void TCallQueue::RunQueued()
{
    {
        QMutexLocker lock(&FLock);
        FScheduled = false;
    }
    const QDeadlineTimer slice(SliceMs, Qt::PreciseTimer);
    TCall call;
    for (int count = 1; TakeNext(call); ++count) {
        call();
        call = {}; // what it holds goes now (a waiting worker is released), not with the next call
        if (count % CallsPerClockLook == 0 && slice.hasExpired())
            return;
    }
}

// Takes the next call in order. While more wait, a run of the queue stays
// scheduled, so that a nested event loop started by this call runs them.
// The lock is taken once per hand-over, not once per call.
bool TCallQueue::TakeNext(TCall &ACall)
{
    if (FDetached || (FNext == FRunning.size() && !Refill()))
        return false;
    ACall = std::move(FRunning[FNext++]);
    Taken();
    KeepScheduled();
    return true;
}

bool TCallQueue::Refill()
{
    FRunning.clear();
    FNext = 0;
    if (FReady.empty()) {
        QMutexLocker lock(&FLock);
        FReady.swap(FIncoming);
    }
    if (FReady.empty())
        return false;
    FRunning = std::move(FReady.front()); // batches are never empty
    FReady.pop_front();
    return true;
}

void TCallQueue::KeepScheduled()
{
    if (FScheduled)
        return; // only this thread clears it: a run is still posted
    QMutexLocker lock(&FLock);
    if (FNext < FRunning.size() || !FReady.empty() || !FIncoming.empty())
        ScheduleLocked();
}

// One call fewer waits; at half the backlog the worker may go on.
void TCallQueue::Taken()
{
    if (FWaiting.fetch_sub(1) - 1 > Backlog / 2 || !FFull)
        return;
    QMutexLocker lock(&FLock);
    UpdateRoomLocked();
}

// The target's thread counts down without the lock and looks at FFull after
// it; here FFull is set before FWaiting is looked at again. So whichever comes
// second sees the other's change, and a queue that has emptied meanwhile
// never stays full.
void TCallQueue::UpdateRoomLocked()
{
    if (!FFull && FWaiting >= Backlog) {
        FFull = true;
        FRoom.Reset();
    }
    if (FFull && FWaiting <= Backlog / 2) {
        FFull = false;
        FRoom.Set();
    }
}
