// The component under a flood of output: the thread that owns it keeps
// serving its event loop, the backlog between the threads stays bounded (the
// child waits on its full pipe while that thread is behind), and no line is
// lost.
#include "process/ProcessRunner.h"
#include "process/ProcessTestSupport.h"
#include "process/ProcessTimer.h"
#include "process/StringList.h"

#include <QElapsedTimer>
#include <QTimer>
#include <csignal>
#include <gtest/gtest.h>

using namespace ProcessTest;

namespace {

// The numbered 80-byte lines of the helper's "lines:N" step.
QString HelperLine(qint64 AIndex)
{
    return QStringLiteral("%1").arg(AIndex, 7, 10, QLatin1Char('0')) + QString(72, QChar(char16_t('a' + AIndex % 26)));
}

// A runner whose line handler counts whole lines, checks that they arrive in
// the helper's order, and empties Lines as it goes, as a real handler that
// shows the output elsewhere would.
class ProcessRunnerFlood : public testing::Test
{
protected:
    void SetUp() override
    {
        Runner.SetOnNewLine([this](QObject *, const QString &ALine, TOutputType AType) {
            if (AType != otEntireLine)
                return;
            InOrder = InOrder && (!CheckOrder || ALine == HelperLine(LineCount));
            ++LineCount;
            ++LinesSinceTick;
            if (Runner.Lines()->Count() >= 1000)
                Runner.Lines()->Clear();
            QElapsedTimer work;
            work.start();
            while (work.nsecsElapsed() < HandlerNs) {
            }
            if (LinesSinceTick > GiveUpAfter)
                Runner.Stop(); // a queue that never lets the loop run ends the test instead of hanging it
        });
        Runner.SetOnTerminated([this](QObject *) { Terminated = true; });
    }

    static constexpr qint64 GiveUpAfter = 2000000;
    // What the handler spends on a line; set, it is slower than the worker,
    // which then always has more calls waiting for it.
    qint64 HandlerNs = 0;
    TProcessRunner Runner;
    bool CheckOrder = true;
    bool InOrder = true;
    qint64 LineCount = 0;
    qint64 LinesSinceTick = 0;
    bool Terminated = false;
};

// A timer of the component's thread keeps ticking while lines pour in faster
// than a handler takes them, and a stop requested from it (as a click on Stop
// would be) ends the run.
TEST_F(ProcessRunnerFlood, TimersTickAndAStopIsServedWhileItGoesOn)
{
    // A slice or two of calls run between two ticks: some 2000 lines at 2 us
    // each. A loop that ran calls as long as the worker added them went on for
    // 50 000 to 2 000 000 lines.
    constexpr qint64 mostLinesBetweenTicks = 20000;
    constexpr int ticksBeforeStop = 20;
    CheckOrder = false;
    HandlerNs = 2000;
    qint64 mostBetweenTicks = 0;
    int ticksDuringFlood = 0;
    QTimer timer;
    timer.setInterval(1);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        mostBetweenTicks = std::max(mostBetweenTicks, LinesSinceTick);
        if (LinesSinceTick > 0 && ++ticksDuringFlood == ticksBeforeStop)
            Runner.Stop();
        LinesSinceTick = 0;
    });
    Runner.SetCommandLine(QStringLiteral("yes ") + QString(79, QLatin1Char('x')));
    Runner.Execute();
    timer.start();
    ASSERT_TRUE(WaitUntil([&] { return Terminated; }, 60000));
    EXPECT_EQ(Runner.EndStatus(), esStop);
    EXPECT_GE(ticksDuringFlood, ticksBeforeStop);
    EXPECT_LT(mostBetweenTicks, mostLinesBetweenTicks);
    EXPECT_GT(LineCount, 0);
    EXPECT_FALSE(HasZombieChild());
}

struct THeldBackCase
{
    const char *Name;
    int MaxTimeAfterLastOutput;
    // Ticks of the run's timer while the component's thread is behind.
    int Ticks;
};

void PrintTo(const THeldBackCase &ACase, std::ostream *AOut)
{
    *AOut << ACase.Name;
}

class ProcessRunnerHeldBack : public ProcessRunnerFlood, public testing::WithParamInterface<THeldBackCase>
{};

// While the component's thread runs no events, the worker and the reader stop
// taking output and the child comes to a halt on its full pipe, having written
// little; once the thread catches up every line arrives, in order, and a child
// held back that way does not count as silent for MaxTimeAfterLastOutput.
TEST_P(ProcessRunnerHeldBack, TheChildWaitsOnItsFullPipeAndNoLineIsLost)
{
    constexpr qint64 lineCount = 200000; // 16 MB
    constexpr qint64 mostBytesAhead = 4 * 1024 * 1024;
    const THeldBackCase &c = GetParam();
    Runner.SetMaxTimeAfterLastOutput(c.MaxTimeAfterLastOutput);
    Runner.SetCommandLine(HelperCommand({QStringLiteral("lines:%1").arg(lineCount)}));
    Runner.Execute();
    Runner.Timer()->SetInterval(24 * 3600 * 1000); // only the ticks given below count
    ASSERT_TRUE(WaitUntil([&] { return Runner.ProcessInformation().dwProcessId != 0; }));
    const qint64 pid = Runner.ProcessInformation().dwProcessId;

    ASSERT_TRUE(SpinUntil(
        [&] {
            const qint64 before = BytesWrittenBy(pid);
            QThread::msleep(200);
            return BytesWrittenBy(pid) == before;
        },
        30000));
    const qint64 written = BytesWrittenBy(pid);
    EXPECT_GT(written, 0) << "the child still runs";
    EXPECT_LT(written, mostBytesAhead);
    for (int i = 0; i < c.Ticks; ++i) {
        ProcessTimerProc(Runner.Timer()->ID());
        ASSERT_TRUE(SpinUntil([&] { return !Runner.Timer()->Event().IsSet(); })) << "the worker saw the tick";
    }

    ASSERT_TRUE(WaitUntil([&] { return Terminated; }, 120000));
    EXPECT_EQ(Runner.EndStatus(), esProcess);
    EXPECT_EQ(LineCount, lineCount);
    EXPECT_TRUE(InOrder);
    EXPECT_FALSE(HasZombieChild());
}

INSTANTIATE_TEST_SUITE_P(Cases, ProcessRunnerHeldBack,
                         testing::Values(THeldBackCase{"NoTimeLimit", 0, 0},
                                         THeldBackCase{"TicksPastMaxTimeAfterLastOutput", 1, 5}),
                         [](const testing::TestParamInfo<THeldBackCase> &AInfo) {
                             return std::string(AInfo.param.Name);
                         });

} // namespace
