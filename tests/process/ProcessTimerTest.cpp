#include "process/ProcessErrors.h"
#include "process/ProcessTestSupport.h"
#include "process/ProcessTimer.h"
#include "process/ProcessTimerList.h"

#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

using namespace ProcessTest;

namespace {

void Tick(TProcessTimer &ATimer, int ACount = 1)
{
    for (int i = 0; i < ACount; ++i)
        ProcessTimerProc(ATimer.ID());
}

TEST(ProcessTimer, CountsDeliveredTicksSinceBeginningAndSinceLastOutput)
{
    TProcessTimer timer;
    timer.SetInterval(3600 * 1000); // only the ticks delivered below
    timer.Beginning();
    Tick(timer, 3);
    EXPECT_EQ(timer.SinceBeginning(), 3);
    EXPECT_EQ(timer.SinceLastOutput(), 3);
    timer.NewOutput();
    Tick(timer);
    EXPECT_EQ(timer.SinceBeginning(), 4);
    EXPECT_EQ(timer.SinceLastOutput(), 1);
    EXPECT_TRUE(timer.Event().Consume());
    EXPECT_FALSE(timer.Event().Consume()) << "four ticks before a wait wake it once";

    // Beginning on a running timer only resets the counters.
    const int id = timer.ID();
    timer.Beginning();
    EXPECT_EQ(timer.ID(), id);
    EXPECT_EQ(timer.SinceBeginning(), 0);
    EXPECT_EQ(timer.SinceLastOutput(), 0);
}

TEST(ProcessTimer, HasAListEntryExactlyWhileEnabled)
{
    const int before = ProcessTimerList().Count();
    int id;
    {
        TProcessTimer timer;
        EXPECT_FALSE(timer.Enabled());
        timer.SetEnabled(true);
        id = timer.ID();
        timer.SetEnabled(true); // no second tick
        EXPECT_EQ(ProcessTimerList().Count(), before + 1);
        EXPECT_EQ(ProcessTimerList().Find(id), &timer);

        timer.Ending();
        EXPECT_EQ(ProcessTimerList().Find(id), nullptr);
        Tick(timer); // a late tick of a disabled timer
        EXPECT_EQ(timer.SinceBeginning(), 0);

        timer.Beginning();
        EXPECT_NE(timer.ID(), id);
        id = timer.ID();
    } // destroyed while enabled
    EXPECT_EQ(ProcessTimerList().Find(id), nullptr);
    EXPECT_EQ(ProcessTimerList().Count(), before);
}

TEST(ProcessTimer, TicksComeFromTheEventLoopOfTheEnablingThreadAndAreNotMadeUp)
{
    TProcessTimer timer;
    timer.SetInterval(20);
    timer.Beginning();
    EXPECT_TRUE(WaitUntil([&] { return timer.SinceBeginning() >= 2; }));
    EXPECT_TRUE(timer.Event().IsSet());

    // While the loop is blocked nothing is counted, and the missed ticks are not
    // delivered afterwards.
    const int before = timer.SinceBeginning();
    QThread::msleep(300);
    EXPECT_EQ(timer.SinceBeginning(), before);
    QCoreApplication::processEvents();
    EXPECT_LT(timer.SinceBeginning(), before + 5);
    timer.Ending();
}

// The message of the EProcessTimer that AAction raises on a thread without an event loop.
std::string TimerErrorOnPlainThread(const std::function<void()> &AAction)
{
    std::string message;
    std::thread([&] {
        try {
            AAction();
        } catch (const EProcessTimer &e) {
            message = e.what();
        }
    }).join();
    return message;
}

TEST(ProcessTimer, RefusesThreadsThatCannotRunIt)
{
    TProcessTimer timer;
    EXPECT_EQ(TimerErrorOnPlainThread([&] { timer.SetEnabled(true); }), "could not start timer");
    EXPECT_FALSE(timer.Enabled());

    const int before = ProcessTimerList().Count();
    timer.SetEnabled(true);
    EXPECT_EQ(TimerErrorOnPlainThread([&] { timer.SetEnabled(false); }), "could not kill timer");
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(ProcessTimerList().Count(), before + 1) << "the entry stays after a failed kill";
}

} // namespace
