// The component: its properties, misuse, error reports, the order of its
// events, runs started from OnTerminated, destruction during a run, and many
// runs in a row.
#include "process/RunnerRecorder.h"
#include "process/RunnerThread.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QMetaProperty>
#include <csignal>
#include <gtest/gtest.h>
#include <sched.h>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

using namespace ProcessTest;

namespace {

TEST(ProcessRunner, StartsIdleWithItsInitialValues)
{
    TProcessRunner runner;
    EXPECT_EQ(runner.EndStatus(), esNone);
    EXPECT_EQ(runner.ExitCode(), 0u);
    EXPECT_FALSE(runner.IsRunning());
    EXPECT_EQ(runner.Priority(), 0x20);
    EXPECT_EQ(runner.Lines()->Count(), 0);
    EXPECT_EQ(runner.Environment()->Count(), 0);
    EXPECT_EQ(runner.OutputLines(), nullptr);
    EXPECT_EQ(runner.Timer(), nullptr);
    EXPECT_EQ(runner.ProcessInformation().dwProcessId, 0);
    EXPECT_FALSE(runner.OnNewLine() || runner.OnNewChar() || runner.OnTerminated() || runner.OnTerminateProcess()
                 || runner.OnExecuteError() || runner.OnCharDecoding() || runner.OnCharEncoding());
    runner.Stop(); // idle: nothing happens
    EXPECT_EQ(runner.EndStatus(), esNone);
}

TEST(ProcessRunner, PublishesItsSettingsAsStoredProperties)
{
    TProcessRunner runner;
    const struct
    {
        const char *Name;
        QVariant Value;
    } stored[] = {
        {"CommandLine", QStringLiteral("ffmpeg -i \"a b.mp3\"")},
        {"CurrentDir", QStringLiteral("/tmp")},
        {"InputToOutput", true},
        {"MaxTimeAfterBeginning", 7},
        {"MaxTimeAfterLastOutput", 3},
    };
    const QMetaObject *meta = runner.metaObject();
    for (const auto &p : stored) {
        SCOPED_TRACE(p.Name);
        const QMetaProperty property = meta->property(meta->indexOfProperty(p.Name));
        ASSERT_TRUE(property.isValid());
        EXPECT_TRUE(property.isStored());
        EXPECT_TRUE(runner.setProperty(p.Name, p.Value));
        EXPECT_EQ(runner.property(p.Name), p.Value);
    }
    runner.Environment()->Add(QStringLiteral("A=1"));
    EXPECT_EQ(runner.property("Environment").toStringList(), QStringList{"A=1"});
    EXPECT_FALSE(meta->property(meta->indexOfProperty("IsRunning")).isStored());
}

// ---------------------------------------------------------------- misuse

template <class E> std::string MessageOf(const std::function<void()> &AAction)
{
    try {
        AAction();
    } catch (const E &e) {
        return e.what();
    }
    return "(nothing raised)";
}

TEST(ProcessRunner, RefusesMisuseWithItsOwnExceptions)
{
    TRunnerRecorder r;
    EXPECT_EQ(MessageOf<EProcessRunner>([&] { r.Runner.SendLine(QStringLiteral("dir"), true); }),
              "ProcessRunner not running");
    EXPECT_EQ(MessageOf<EProcessRunner>([&] { r.Runner.Execute(); }), "No Commandline to execute");
    EXPECT_EQ(r.Runner.EndStatus(), esNone) << "nothing started";
    EXPECT_FALSE(r.Runner.IsRunning());

    const TCharDecoding decoding = [](QObject *, const QByteArray &ABuf) { return QString::fromLatin1(ABuf); };
    r.StartHelper({QStringLiteral("r"), WriteStep("first run goes on\n")});
    EXPECT_EQ(MessageOf<EProcessRunner>([&] { r.Runner.Execute(); }), "ProcessRunner still running");
    EXPECT_EQ(MessageOf<EProcessRunner>([&] { r.Runner.SetOnCharDecoding(decoding); }), "ProcessRunner still running");
    EXPECT_EQ(MessageOf<EProcessRunner>([&] { r.Runner.SetOnCharEncoding({}); }), "ProcessRunner still running");
    EXPECT_FALSE(r.Runner.OnCharDecoding()) << "left unchanged";
    r.Runner.SendLine(QString(), true);
    ASSERT_TRUE(r.WaitForEnd());
    EXPECT_EQ(r.Runner.Lines()->ToStringList(), QStringList{"first run goes on"});
    r.Runner.SetOnCharDecoding(decoding); // accepted once idle
    EXPECT_TRUE(r.Runner.OnCharDecoding());
}

TEST(ProcessRunner, AThreadThatCannotTickCannotStartARun)
{
    ASSERT_TRUE(WaitUntil([] { return TRunnerThread::LiveCount() == 0; })); // earlier runs fully gone
    TRunnerRecorder r;
    r.Runner.SetCommandLine(QStringLiteral("true"));
    std::string message;
    std::thread([&] { message = MessageOf<EProcessTimer>([&] { r.Runner.Execute(); }); }).join();
    EXPECT_EQ(message, "could not start timer");
    EXPECT_FALSE(r.Runner.IsRunning());
    EXPECT_EQ(TRunnerThread::LiveCount(), 0);
}

// ---------------------------------------------------------------- failed runs

TEST(ProcessRunner, AProgramThatDoesNotExistIsReportedToOnExecuteError)
{
    TRunnerRecorder r;
    TErrorDisplayRecorder boxes;
    r.Start(QStringLiteral("no-such-program-tonara --flag"));
    ASSERT_TRUE(r.WaitForEnd());
    EXPECT_EQ(r.Events, (QStringList{"error:ECreateProcessError:Error creating Process: no-such-program-tonara "
                                     "--flag - (No such file or directory)",
                                     "terminated"}));
    EXPECT_EQ(r.Runner.EndStatus(), esError);
    EXPECT_EQ(r.Runner.ExitCode(), 0u);
    EXPECT_TRUE(boxes.Texts.isEmpty()) << "handled: no box";
}

TEST(ProcessRunner, AnUnhandledFailureIsShownOnceBeforeOnTerminated)
{
    const struct
    {
        const char *Name;
        TErrorEvent Handler;
        QString FirstLine;
    } cases[] = {
        {"no handler", {}, QStringLiteral("ECreateProcessError")},
        {"handler leaves AHandled", [](QObject *, const std::exception &, bool &) {},
         QStringLiteral("ECreateProcessError")},
        {"handler raises",
         [](QObject *, const std::exception &, bool &) { throw EProcessRunner(QStringLiteral("oops")); },
         QStringLiteral("EProcessRunner")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        TRunnerRecorder r;
        r.Runner.SetOnExecuteError(c.Handler);
        int boxesAtTermination = -1;
        TErrorDisplayRecorder boxes;
        r.Runner.SetOnTerminated([&](QObject *) {
            boxesAtTermination = int(boxes.Texts.size());
            ++r.TerminatedCount;
        });
        r.Start(QStringLiteral("/no/such/folder/program"));
        ASSERT_TRUE(r.WaitForEnd());
        ASSERT_EQ(boxes.Texts.size(), 1);
        EXPECT_EQ(boxesAtTermination, 1);
        EXPECT_EQ(boxes.Texts[0].section(QLatin1Char('\n'), 0, 0), c.FirstLine);
        EXPECT_EQ(boxes.Captions[0], QFileInfo(QCoreApplication::applicationFilePath()).fileName());
        EXPECT_EQ(r.Runner.EndStatus(), esError);
    }
}

// ---------------------------------------------------------------- order of events

TEST(ProcessRunner, ReportsARunInTheOrderOfItsEvents)
{
    TRunnerRecorder r;
    r.StartHelper({QStringLiteral("pid"), WriteStep("line\npartial"), QStringLiteral("s:30000")});
    ASSERT_TRUE(r.WaitForEvent(QStringLiteral("B:partial")));
    r.Runner.Stop();
    ASSERT_TRUE(r.WaitForEnd());
    ASSERT_EQ(r.Events.size(), 6);
    const QString pid = r.Events[0].mid(2);
    EXPECT_EQ(r.Events, (QStringList{"E:" + pid, "E:line", "B:partial", "terminate", "E:partial", "terminated"}));
    // The process information had arrived before the first line.
    EXPECT_EQ(r.PidSeenByLines.first(), pid.toLongLong());
    EXPECT_EQ(r.Runner.EndStatus(), esStop);
    EXPECT_EQ(r.Runner.Lines()->ToStringList(), (QStringList{pid, "line", "partial"}));
}

// A handler that opens a nested event loop (as a modal box does) sees the
// later events of the run inside it, in order, the two the worker waits for
// included.
TEST(ProcessRunner, AHandlerInANestedEventLoopSeesTheLaterEventsInOrder)
{
    TRunnerRecorder r;
    QEventLoop nested;
    QTimer::singleShot(10000, &nested, &QEventLoop::quit); // a broken queue fails instead of hanging
    const TNewLineEvent recordLine = r.Runner.OnNewLine();
    r.Runner.SetOnNewLine([&](QObject *ASender, const QString &ALine, TOutputType AType) {
        recordLine(ASender, ALine, AType);
        if (ALine == QLatin1String("first")) {
            nested.exec();
            r.Events << QStringLiteral("left the nested loop");
        } else if (ALine == QLatin1String("second")) {
            r.Runner.Stop();
        }
    });
    const TNotifyEvent recordTerminated = r.Runner.OnTerminated();
    r.Runner.SetOnTerminated([&](QObject *ASender) {
        recordTerminated(ASender);
        nested.quit();
    });
    r.StartHelper({WriteStep("first\nsecond\n"), QStringLiteral("s:30000")});
    ASSERT_TRUE(r.WaitForEvent(QStringLiteral("left the nested loop"), 15000));
    EXPECT_EQ(r.Events, (QStringList{"E:first", "E:second", "terminate", "terminated", "left the nested loop"}));
    EXPECT_EQ(r.Runner.EndStatus(), esStop);
}

TEST(ProcessRunner, ExecuteFromOnTerminatedStartsTheNextRunWithLinesCleared)
{
    TRunnerRecorder r;
    QList<QStringList> linesPerRun;
    r.Runner.SetOnTerminated([&](QObject *) {
        linesPerRun << r.Runner.Lines()->ToStringList();
        if (linesPerRun.size() < 3) {
            r.Runner.SetCommandLine(
                HelperCommand({WriteStep(QStringLiteral("run %1\n").arg(linesPerRun.size() + 1).toLatin1())}));
            r.Runner.Execute();
            EXPECT_TRUE(r.Runner.IsRunning());
            EXPECT_EQ(r.Runner.Lines()->Count(), 0);
        }
    });
    r.StartHelper({WriteStep("run 1\n")});
    ASSERT_TRUE(WaitUntil([&] { return linesPerRun.size() == 3; }));
    EXPECT_EQ(linesPerRun, (QList<QStringList>{{"run 1"}, {"run 2"}, {"run 3"}}));
}

TEST(ProcessRunner, ALineSentAfterTheRunEndedIsAcceptedAndDropped)
{
    TRunnerRecorder r;
    bool sent = false;
    r.Runner.SetOnNewLine([&](QObject *, const QString &ALine, TOutputType AType) {
        if (ALine == QLatin1String("bye") && AType == otEntireLine) { // the final flush, after the loop
            r.Runner.SendLine(QStringLiteral("too late"), true);
            sent = true;
        }
    });
    r.StartHelper({WriteStep("bye")});
    ASSERT_TRUE(r.WaitForEnd());
    EXPECT_TRUE(sent);
    EXPECT_EQ(r.Runner.EndStatus(), esProcess);
}

// ---------------------------------------------------------------- destruction

// Destroyed at different moments of a run: nothing of it is used afterwards,
// none of its handlers runs, and the run's child, threads and descriptors go.
TEST(ProcessRunner, CanBeDestroyedWhileARunIsActive)
{
    enum TMoment { BeforeTheWorkerStarted, WhileTheChildRuns, WhileAskedToTerminate, AfterTheChildEnded };
    for (TMoment moment : {BeforeTheWorkerStarted, WhileTheChildRuns, WhileAskedToTerminate, AfterTheChildEnded}) {
        SCOPED_TRACE(int(moment));
        ASSERT_TRUE(WaitUntil([] { return TRunnerThread::LiveCount() == 0; })); // earlier runs fully gone
        const int descriptors = OpenDescriptorCount();
        bool handlerRan = false;
        std::atomic<pid_t> pid{0};
        auto *r = new TRunnerRecorder;
        r->Runner.SetOnTerminated([&](QObject *) { handlerRan = true; });
        // The child's pid, learnt on the reader thread so that no event needs to run.
        r->Runner.SetOnCharDecoding([&](QObject *, const QByteArray &ABuf) {
            pid = ABuf.trimmed().toInt();
            return QString::fromLatin1(ABuf);
        });
        r->StartHelper(
            {QStringLiteral("pid"), moment == AfterTheChildEnded ? QStringLiteral("x:0") : QStringLiteral("s:30000")});
        if (moment != BeforeTheWorkerStarted) {
            ASSERT_TRUE(SpinUntil([&] { return pid != 0; }));
        }
        if (moment == WhileAskedToTerminate)
            r->Runner.Stop();             // the worker asks OnTerminateProcess and waits for it
        if (moment == AfterTheChildEnded) { // reaped by the worker, which then waits for its end notification
            ASSERT_TRUE(SpinUntil([&] { return kill(pid, 0) != 0; }));
        }
        delete r;
        EXPECT_TRUE(WaitUntil([] { return TRunnerThread::LiveCount() == 0; }));
        EXPECT_FALSE(handlerRan);
        if (pid != 0) {
            EXPECT_NE(kill(pid, 0), 0) << "the child was ended and reaped";
        }
        EXPECT_FALSE(HasZombieChild());
        EXPECT_EQ(OpenDescriptorCount(), descriptors);
    }
}

// ---------------------------------------------------------------- faults

// Notes when a copy of a handler is destroyed while that handler runs, which
// would leave the handler reading its captures from freed memory.
struct TCaptureProbe
{
    std::atomic<int> *Running;
    std::atomic<bool> *DestroyedWhileRunning;
    ~TCaptureProbe()
    {
        if (*Running > 0)
            *DestroyedWhileRunning = true;
    }
};

class ProcessRunnerFaults;

// A run that has met one of the paths on which the component used to fault.
// Each row is run under the address and the thread sanitizer as well.
struct TFaultCase
{
    const char *Name;
    QString CommandLine;
    // Before Execute: handlers of the row's own.
    void (*Prepare)(ProcessRunnerFaults &);
    // Right after Execute.
    void (*Act)(ProcessRunnerFaults &);
    // The end status OnTerminated sees, and the events up to the end (whether
    // OnTerminateProcess came is left out); empty when the component is
    // destroyed before the end.
    TEndStatus Seen;
    QStringList Events;
};

void PrintTo(const TFaultCase &ACase, std::ostream *AOut)
{
    *AOut << ACase.Name;
}

class ProcessRunnerFaults : public testing::TestWithParam<TFaultCase>
{
public:
    void SetUp() override
    {
        ASSERT_TRUE(WaitUntil([] { return TRunnerThread::LiveCount() == 0; })); // earlier runs fully gone
        Recorder = std::make_unique<TRunnerRecorder>();
        const TNotifyEvent recordTerminated = Recorder->Runner.OnTerminated();
        Recorder->Runner.SetOnTerminated([this, recordTerminated](QObject *ASender) {
            Seen = Recorder->Runner.EndStatus();
            recordTerminated(ASender);
        });
    }

    std::unique_ptr<TRunnerRecorder> Recorder;
    TEndStatus Seen = esNone;
    std::atomic<int> HandlerRunning{0};
    std::atomic<bool> CapturesDestroyedWhileRunning{false};
    cpu_set_t Processors; // this thread's, while ShareOneProcessor holds it to one
};

// This thread and the threads it starts from now on share one processor.
void ShareOneProcessor(ProcessRunnerFaults &F)
{
    ASSERT_EQ(sched_getaffinity(0, sizeof F.Processors, &F.Processors), 0);
    cpu_set_t one;
    CPU_ZERO(&one);
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
        if (CPU_ISSET(cpu, &F.Processors)) {
            CPU_SET(cpu, &one);
            break;
        }
    ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
}

// Leaving the idle scheduling policy again needs root (or RLIMIT_NICE 20).
bool CanLeaveIdlePolicy()
{
    rlimit limit{};
    return geteuid() == 0 || (getrlimit(RLIMIT_NICE, &limit) == 0 && limit.rlim_cur >= 20);
}

// The end notification is the last call the worker posts and waits for;
// destroying the component drops it, which releases the worker. This thread
// runs as an idle task on the worker's processor meanwhile, so the released
// worker runs at once and frees itself before the destruction goes on
// (without the privilege for that, the order is left to the scheduler).
void DestroyWhileTheWorkerWaitsForItsEnd(ProcessRunnerFaults &F)
{
    ASSERT_TRUE(SpinUntil([&] { return F.Recorder->Runner.EndStatus() != esStill_Active; }));
    QThread::msleep(50); // the little the worker does after that: reader gone, last line, its end posted
    const bool idle = CanLeaveIdlePolicy();
    sched_param param{};
    if (idle) {
        ASSERT_EQ(sched_setscheduler(0, SCHED_IDLE, &param), 0);
    }
    F.Recorder.reset();
    if (idle) {
        ASSERT_EQ(sched_setscheduler(0, SCHED_OTHER, &param), 0);
    }
    ASSERT_EQ(sched_setaffinity(0, sizeof F.Processors, &F.Processors), 0);
}

// A line handler that runs a nested event loop, as a modal box does, and
// leaves it only when the run has ended and its worker is gone.
void OpenANestedLoopInTheLineHandler(ProcessRunnerFaults &F)
{
    TRunnerRecorder &r = *F.Recorder;
    const TNewLineEvent recordLine = r.Runner.OnNewLine();
    TCaptureProbe probe{&F.HandlerRunning, &F.CapturesDestroyedWhileRunning};
    r.Runner.SetOnNewLine([probe, recordLine, &F](QObject *ASender, const QString &ALine, TOutputType AType) {
        ++F.HandlerRunning;
        recordLine(ASender, ALine, AType);
        WaitUntil([&F] {
            return F.Recorder->Events.contains(QStringLiteral("terminated")) && TRunnerThread::LiveCount() == 0;
        });
        F.Recorder->Events << QStringLiteral("left the nested loop");
        --F.HandlerRunning;
    });
}

void Stop(ProcessRunnerFaults &F)
{
    F.Recorder->Runner.Stop();
}

void Nothing(ProcessRunnerFaults &)
{}

TEST_P(ProcessRunnerFaults, TheRunEndsCleanlyAndReportsWhatHappened)
{
    const TFaultCase &c = GetParam();
    c.Prepare(*this);
    Recorder->Start(c.CommandLine);
    c.Act(*this);
    if (Recorder) {
        ASSERT_TRUE(WaitUntil([&] { return Recorder->Events.contains(QStringLiteral("terminated")); }));
        ASSERT_TRUE(WaitUntil([&] { return HandlerRunning == 0; }));
        EXPECT_EQ(Seen, c.Seen);
        QStringList events = Recorder->Events;
        events.removeAll(QStringLiteral("terminate")); // a stop may come before or after the child started
        EXPECT_EQ(events, c.Events);
    }
    EXPECT_TRUE(WaitUntil([] { return TRunnerThread::LiveCount() == 0; }));
    EXPECT_FALSE(CapturesDestroyedWhileRunning);
    EXPECT_FALSE(HasZombieChild());
}

INSTANTIATE_TEST_SUITE_P(Cases, ProcessRunnerFaults,
                         testing::Values(TFaultCase{"DestroyedWhileItsWorkerWaitsForTheEndNotification",
                                                    QStringLiteral("echo hi"),
                                                    ShareOneProcessor,
                                                    DestroyWhileTheWorkerWaitsForItsEnd,
                                                    esNone,
                                                    {}},
                                         TFaultCase{"ALineHandlerInANestedLoopOutlivesTheWorker",
                                                    QStringLiteral("echo hi"),
                                                    OpenANestedLoopInTheLineHandler,
                                                    Nothing,
                                                    esProcess,
                                                    {"E:hi", "terminated", "left the nested loop"}},
                                         TFaultCase{"StopRightAfterExecuteReportsAStoppedRun",
                                                    QStringLiteral("sleep 30"),
                                                    Nothing,
                                                    Stop,
                                                    esStop,
                                                    {"terminated"}}),
                         [](const testing::TestParamInfo<TFaultCase> &AInfo) { return std::string(AInfo.param.Name); });

// ---------------------------------------------------------------- soak

TEST(ProcessRunner, AThousandRunsLeaveNoZombieAndNoDescriptorBehind)
{
    constexpr int runs = 1000;
    TRunnerRecorder r;
    r.Runner.SetOnNewLine({});
    r.Runner.SetOnNewChar({});
    int ended = 0;
    int failed = 0;
    std::string firstFailure;
    r.Runner.SetOnTerminated([&](QObject *) {
        const bool ok = r.Runner.EndStatus() == esProcess && r.Runner.ExitCode() == 0 && r.Runner.Lines()->Count() == 1;
        if (!ok && failed++ == 0) {
            firstFailure = "run " + std::to_string(ended) + ": end status " + std::to_string(int(r.Runner.EndStatus())) +
                           ", exit code " + std::to_string(r.Runner.ExitCode()) + ", " +
                           std::to_string(r.Runner.Lines()->Count()) + " lines";
        }
        if (++ended < runs)
            r.Runner.Execute();
    });
    r.Runner.SetCommandLine(QStringLiteral("echo run"));
    r.Runner.Execute(); // the timer and the first worker exist from here on
    ASSERT_TRUE(WaitUntil([&] { return ended == runs; }, 240000)) << ended << " runs ended";
    ASSERT_TRUE(WaitUntil([] { return TRunnerThread::LiveCount() == 0; }));
    EXPECT_EQ(failed, 0) << "first: " << firstFailure;
    EXPECT_FALSE(HasZombieChild());

    const int descriptors = OpenDescriptorCount();
    ended = runs - 1; // one more run, to compare with the count between runs
    r.Runner.Execute();
    ASSERT_TRUE(WaitUntil([&] { return ended == runs; }));
    ASSERT_TRUE(WaitUntil([] { return TRunnerThread::LiveCount() == 0; }));
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
}

} // namespace
