#include "process/ProcessTimer.h"

#include "process/ProcessErrors.h"
#include "process/ProcessTimerList.h"
#include "process/SanitizerHandOver.h"

#include <QAbstractEventDispatcher>
#include <QThread>
#include <QTimer>

namespace {

int NextTimerID()
{
    static std::atomic<int> last{0};
    return ++last;
}

} // namespace

TProcessTimer::TProcessTimer() = default;

// The component and its worker share the timer; whichever lets go last
// destroys it, after the other (the reference count orders it; the mark repeats it).
TProcessTimer::~TProcessTimer()
{
    SanitizerHandOver::Acquire(this);
    try {
        SetEnabled(false);
        // A tick whose kill failed earlier can still be stopped from its own thread.
        if (FTimer && FTimer->thread() == QThread::currentThread()) {
            FEnabled = true;
            SetEnabled(false);
        }
    } catch (const EProcessTimer &) {
        // Destroyed on another thread than the tick's: nothing more can be done here.
    }
}

void TProcessTimer::Beginning()
{
    FSinceBeginning = 0;
    FSinceLastOutput = 0;
    SetEnabled(true);
}

void TProcessTimer::Ending()
{
    SetEnabled(false);
}

void TProcessTimer::NewOutput()
{
    // Output comes in lines by the thousand between two ticks: only the first
    // line end after a tick has anything to reset. A tick racing with this look
    // counts as one that came just after the reset.
    if (FSinceLastOutput == 0)
        return;
    QMutexLocker lock(&FCriticalSection);
    FSinceLastOutput = 0;
}

void TProcessTimer::SetEnabled(bool AValue)
{
    if (AValue == FEnabled)
        return;
    FEnabled = AValue;
    if (AValue)
        Start();
    else
        Kill();
}

void TProcessTimer::Start()
{
    // A thread without an event loop cannot deliver ticks.
    if (!QAbstractEventDispatcher::instance()) {
        FEnabled = false;
        throw EProcessTimer(QStringLiteral("could not start timer"));
    }
    const int id = NextTimerID();
    FTimer = new QTimer;
    FTimer->setInterval(FInterval);
    QObject::connect(FTimer, &QTimer::timeout, FTimer, [id] { ProcessTimerProc(id); });
    FTimer->start();
    FID = id;
    ProcessTimerList().Add(new TTimerEntry{FID, this});
}

void TProcessTimer::Kill()
{
    if (FTimer->thread() != QThread::currentThread())
        throw EProcessTimer(QStringLiteral("could not kill timer"));
    delete FTimer;
    FTimer = nullptr;
    ProcessTimerList().Remove(FID);
}

void TProcessTimer::SetInterval(int AValue)
{
    FInterval = AValue;
    if (FTimer)
        FTimer->setInterval(AValue);
}

int TProcessTimer::SinceBeginning()
{
    QMutexLocker lock(&FCriticalSection);
    return FSinceBeginning;
}

int TProcessTimer::SinceLastOutput()
{
    QMutexLocker lock(&FCriticalSection);
    return FSinceLastOutput;
}

void ProcessTimerProc(int AID)
{
    TProcessTimer *timer = ProcessTimerList().Find(AID);
    if (!timer)
        return;
    timer->FSinceBeginning.fetch_add(1);
    timer->FSinceLastOutput.fetch_add(1);
    timer->FEvent.Set();
}
