// The worker's behaviour, observed through the component that owns it: line
// assembly, input, time limits and how runs end.
#include "process/RunnerRecorder.h"
#include "process/RunnerThread.h"
#include "support/CaseName.h"

#include <QDir>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

using namespace ProcessTest;

namespace {

// Cases of the tables below carry a Name, used for the test's name and in failures.
template <class T> void PrintTo(const T &ACase, std::ostream *AOut) requires requires
{
    ACase.Name;
}
{
    *AOut << ACase.Name;
}

// ---------------------------------------------------------------- line assembly

struct TLineCase
{
    const char *Name;
    // What the child writes, one write per batch; before each further batch it
    // waits until the previous one has reached the component.
    QList<QByteArray> Batches;
    QStringList Events;
    QStringList Lines;
    QStringList OutputLines;
};

class LineAssembly : public testing::TestWithParam<TLineCase>
{};

TEST_P(LineAssembly, ReportsLinesAndMirrorsThem)
{
    const TLineCase &c = GetParam();
    QStringList steps;
    QList<int> charsAfterBatch;
    Platform::TSystemDecoder decoder;
    int chars = 0;
    for (const QByteArray &batch : c.Batches) {
        if (!steps.isEmpty())
            steps << QStringLiteral("r");
        steps << WriteStep(batch);
        chars += int(decoder.Decode(batch).size());
        charsAfterBatch << chars;
    }
    TRunnerRecorder r;
    r.StartHelper(steps);
    for (qsizetype i = 0; i + 1 < c.Batches.size(); ++i) {
        // The batch has been taken by the worker once one of its characters arrived.
        ASSERT_TRUE(WaitUntil([&] { return r.Chars.size() >= charsAfterBatch[i]; }));
        r.Runner.SendLine(QStringLiteral("go"), true);
    }
    ASSERT_TRUE(r.WaitForEnd());
    EXPECT_EQ(r.LineEvents(), c.Events);
    EXPECT_EQ(r.Runner.Lines()->ToStringList(), c.Lines);
    EXPECT_EQ(r.Output.ToStringList(), c.OutputLines);
    EXPECT_EQ(r.Runner.EndStatus(), esProcess);
}

const QString Nul(QChar(0));

INSTANTIATE_TEST_SUITE_P(
    Cases, LineAssembly,
    testing::Values(
        TLineCase{"CrLfAndLf", {"abc\r\ndef\n"}, {"E:abc", "E:def"}, {"abc", "def"}, {"abc", "def"}},
        TLineCase{"LoneCrProgress", {"A\rB\rC\r"}, {"E:A", "E:B", "E:C"}, {"A", "B", "C"}, {"A", "B", "C"}},
        TLineCase{"LfLfGivesAnEmptyLine", {"a\n\nb\n"}, {"E:a", "E:", "E:b"}, {"a", "", "b"}, {"a", "", "b"}},
        TLineCase{"NulIsLeftOutOfTheLine", {QByteArray("x\0y\n", 4)}, {"E:xy"}, {"xy"}, {"xy"}},
        TLineCase{"GrowingLineOverTwoBatches",
                  {"step 1 of 2", " done\n"},
                  {"B:step 1 of 2", "E:step 1 of 2 done"},
                  {"step 1 of 2 done"},
                  {"step 1 of 2 done"}},
        TLineCase{"GrowingLineOverThreeBatches",
                  {"one", " two", " three\nnext\n"},
                  {"B:one", "B:one two", "E:one two three", "E:next"},
                  {"one two three", "next"},
                  {"one two three", "next"}},
        TLineCase{"ProgressAfterAGrowingLine",
                  {"done\nprogress 1", "0%\rprogress 20%\r"},
                  {"E:done", "B:progress 1", "E:progress 10%", "E:progress 20%"},
                  {"done", "progress 10%", "progress 20%"},
                  {"done", "progress 10%", "progress 20%"}},
        TLineCase{"FinalLineWithoutLineEndIsFlushed",
                  {"first\ntail"},
                  {"E:first", "B:tail", "E:tail"},
                  {"first", "tail"},
                  {"first", "tail"}},
        TLineCase{"CrLfSplitBetweenBatchesIsOneLineEnd",
                  {"abc\r", "\ndef\n"},
                  {"E:abc", "E:def"},
                  {"abc", "def"},
                  {"abc", "def"}},
        TLineCase{"Utf8TwoByteSplitBetweenReads",
                  {"ab\xC3", "\xA9"
                             "cd\n"},
                  {"B:ab", "E:abécd"},
                  {"abécd"},
                  {"abécd"}},
        TLineCase{"Utf8ThreeByteSplitBetweenReads", {"x\xE2", "\x82\xACy\n"}, {"B:x", "E:x€y"}, {"x€y"}, {"x€y"}},
        TLineCase{"Utf8FourByteSplitBetweenReads",
                  {"z\xF0\x9F", "\x98\x80\n"},
                  {"B:z", "E:z\U0001F600"},
                  {"z\U0001F600"},
                  {"z\U0001F600"}},
        TLineCase{"IncompleteCharacterAtTheEndIsDecodedThen",
                  {"ok\xC3", ""},
                  {"B:ok", "B:ok\uFFFD", "E:ok\uFFFD"},
                  {"ok\uFFFD"},
                  {"ok\uFFFD"}}),
    CaseName<TLineCase>);

TEST(LineAssembly, PassesEveryCharacterToOnNewCharNulAndLineEndsIncluded)
{
    TRunnerRecorder r;
    r.StartHelper({WriteStep(QByteArray("a\0\r\nb", 5))});
    ASSERT_TRUE(r.WaitForEnd());
    EXPECT_EQ(r.Chars, QStringLiteral("a") + Nul + QStringLiteral("\r\nb"));
}

TEST(LineAssembly, WithoutOutputLinesAllEventsStillFire)
{
    TRunnerRecorder r;
    r.Runner.SetOutputLines(nullptr);
    r.StartHelper({WriteStep("one\ntw"), QStringLiteral("r"), WriteStep("o\nend")});
    ASSERT_TRUE(WaitUntil([&] { return r.Chars.size() >= 6; }));
    r.Runner.SendLine(QStringLiteral("go"), true);
    ASSERT_TRUE(r.WaitForEnd());
    EXPECT_EQ(r.LineEvents(), (QStringList{"E:one", "B:tw", "E:two", "B:end", "E:end"}));
    EXPECT_EQ(r.Runner.Lines()->ToStringList(), (QStringList{"one", "two", "end"}));
    EXPECT_EQ(r.Output.Count(), 0);
}

TEST(LineAssembly, OutputLinesIsNeverClearedAndLinesIsPerRun)
{
    TRunnerRecorder r;
    r.Output.Add(QStringLiteral("kept"));
    r.StartHelper({WriteStep("first run\n")});
    ASSERT_TRUE(r.WaitForEnd());
    r.TerminatedCount = 0;
    r.StartHelper({WriteStep("second run\n")});
    ASSERT_TRUE(r.WaitForEnd());
    EXPECT_EQ(r.Output.ToStringList(), (QStringList{"kept", "first run", "second run"}));
    EXPECT_EQ(r.Runner.Lines()->ToStringList(), QStringList{"second run"});
}

TEST(LineAssembly, DeliversEveryByteOfAMegabyteWrittenJustBeforeTheChildExits)
{
    constexpr int lineCount = 13108; // 80 bytes each: 1 048 640 bytes
    TRunnerRecorder r;
    r.Runner.SetOnNewChar(nullptr);
    r.StartHelper({QStringLiteral("lines:%1").arg(lineCount)});
    ASSERT_TRUE(r.WaitForEnd(30000));
    const QStringList lines = r.Runner.Lines()->ToStringList();
    ASSERT_EQ(lines.size(), lineCount);
    for (int i = 0; i < lineCount; ++i) {
        const QString expected =
            QStringLiteral("%1").arg(i, 7, 10, QLatin1Char('0')) + QString(72, QChar('a' + i % 26));
        if (lines[i] != expected) {
            ADD_FAILURE() << "line " << i << ": " << lines[i].toStdString();
            break;
        }
    }
    EXPECT_EQ(r.Output.ToStringList(), lines);
    EXPECT_EQ(r.Runner.EndStatus(), esProcess);
}

// ---------------------------------------------------------------- how runs end

struct TEndCase
{
    const char *Name;
    QString CommandLine;
    bool Stop;
    TEndStatus Status;
    quint32 ExitCode;
};

class EndOfRun : public testing::TestWithParam<TEndCase>
{};

TEST_P(EndOfRun, ReportsStatusAndExitCodeOnce)
{
    const TEndCase &c = GetParam();
    TRunnerRecorder r;
    r.Start(c.CommandLine);
    EXPECT_EQ(r.Runner.EndStatus(), esStill_Active);
    if (c.Stop) {
        ASSERT_TRUE(r.WaitForStarted());
        r.Runner.Stop();
    }
    ASSERT_TRUE(r.WaitForEnd());
    EXPECT_EQ(r.Runner.EndStatus(), c.Status);
    EXPECT_EQ(r.Runner.ExitCode(), c.ExitCode);
    EXPECT_EQ(r.Events.count(QStringLiteral("terminate")), c.Stop ? 1 : 0);
    EXPECT_EQ(r.Events.last(), QStringLiteral("terminated"));
    EXPECT_EQ(r.TerminatedCount, 1);
    EXPECT_FALSE(HasZombieChild());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EndOfRun,
    testing::Values(TEndCase{"ExitCode3", HelperCommand({QStringLiteral("x:3")}), false, esProcess, 3},
                    TEndCase{"ExitCode0", QStringLiteral("true"), false, esProcess, 0},
                    // The system keeps 8 bits of an exit status: 259 arrives as 3, and the
                    // run ends like any other.
                    TEndCase{"ExitCode259", HelperCommand({QStringLiteral("x:259")}), false, esProcess, 3},
                    TEndCase{"KilledByAnotherHand", QStringLiteral("sh -c \"kill -KILL $$\""), false, esProcess,
                             128 + SIGKILL},
                    TEndCase{"StopKillsWithExitCode0", QStringLiteral("sleep 30"), true, esStop, 0}),
    CaseName<TEndCase>);

TEST(EndOfRun, OutputStillOnItsWayWhenTheChildHasEndedIsDelivered)
{
    TRunnerRecorder r;
    std::atomic<qint64> pid{0};
    // Hold the reader until the worker has seen the child end and reaped it.
    r.Runner.SetOnCharDecoding([&](QObject *, const QByteArray &ABuf) {
        SpinUntil([&] { return pid != 0 && kill(pid_t(pid), 0) != 0; });
        return QString::fromLatin1(ABuf);
    });
    r.StartHelper({WriteStep("last words\ntail")});
    ASSERT_TRUE(r.WaitForStarted());
    pid = r.Runner.ProcessInformation().dwProcessId;
    ASSERT_TRUE(r.WaitForEnd());
    EXPECT_EQ(r.Runner.Lines()->ToStringList(), (QStringList{"last words", "tail"}));
    EXPECT_EQ(r.Runner.EndStatus(), esProcess);
}

TEST(EndOfRun, AVetoedTerminationLeavesTheChildRunningAndItIsStillReapedLater)
{
    TRunnerRecorder r;
    r.VetoTermination = true;
    r.Start(QStringLiteral("sleep 30"));
    ASSERT_TRUE(r.WaitForStarted());
    const pid_t pid = pid_t(r.Runner.ProcessInformation().dwProcessId);
    r.Runner.Stop();
    ASSERT_TRUE(r.WaitForEnd());
    EXPECT_EQ(r.Runner.EndStatus(), esStop);
    EXPECT_EQ(r.Runner.ExitCode(), STILL_ACTIVE);
    EXPECT_EQ(kill(pid, 0), 0) << "the child runs on";
    kill(pid, SIGKILL);
    EXPECT_TRUE(WaitUntil([pid] { return kill(pid, 0) != 0; }));
    EXPECT_FALSE(HasZombieChild());
}

// ---------------------------------------------------------------- time limits

// A child that answers each line it is sent, so the test knows the worker has
// looked at the counters since the last injected tick.
const QStringList Answering = {QStringLiteral("r"),      WriteStep("pong 1\n"), QStringLiteral("r"),
                               WriteStep("pong 2\n"),    QStringLiteral("r"),   WriteStep("no line end"),
                               QStringLiteral("s:30000")};

void Ping(TRunnerRecorder &r, const QString &AAnswer)
{
    r.Runner.SendLine(QStringLiteral("ping"), true);
    ASSERT_TRUE(r.WaitForEvent(AAnswer));
}

TEST(TimeLimits, MaxTimeAfterBeginningEndsTheRunAtTheTickAfterTheLimit)
{
    TRunnerRecorder r;
    r.Runner.SetMaxTimeAfterBeginning(5);
    r.StartHelper(Answering);
    r.UseInjectedTicks();
    r.Tick(5);
    Ping(r, QStringLiteral("E:pong 1"));
    EXPECT_TRUE(r.Runner.IsRunning());
    r.Tick();
    ASSERT_TRUE(r.WaitForEnd());
    EXPECT_EQ(r.Runner.EndStatus(), esTime);
    EXPECT_EQ(r.Runner.ExitCode(), 0u);
    EXPECT_EQ(r.Events.count(QStringLiteral("terminate")), 1);
}

TEST(TimeLimits, MaxTimeAfterLastOutputRestartsAtEveryLineEnd)
{
    TRunnerRecorder r;
    r.Runner.SetMaxTimeAfterLastOutput(3);
    r.StartHelper(Answering);
    r.UseInjectedTicks();
    r.Tick(3);
    Ping(r, QStringLiteral("E:pong 1"));
    r.Tick(3);
    Ping(r, QStringLiteral("E:pong 2"));
    r.Tick(3);
    Ping(r, QStringLiteral("B:no line end")); // text, but no line end: the count goes on
    EXPECT_TRUE(r.Runner.IsRunning());
    r.Tick();
    ASSERT_TRUE(r.WaitForEnd());
    EXPECT_EQ(r.Runner.EndStatus(), esTime);
    EXPECT_EQ(r.LineEvents().last(), QStringLiteral("E:no line end")) << "the final flush";
}

struct TNoLimitCase
{
    int Beginning;
    int LastOutput;
};

class NoTimeLimit : public testing::TestWithParam<TNoLimitCase>
{};

TEST_P(NoTimeLimit, ZeroOrNegativeMeansNoLimitAndAChangeDuringTheRunCountsFromTheNextRun)
{
    TRunnerRecorder r;
    r.Runner.SetMaxTimeAfterBeginning(GetParam().Beginning);
    r.Runner.SetMaxTimeAfterLastOutput(GetParam().LastOutput);
    r.StartHelper(Answering);
    r.UseInjectedTicks();
    r.Runner.SetMaxTimeAfterBeginning(1);
    r.Runner.SetMaxTimeAfterLastOutput(1);
    r.Runner.SetCommandLine(QStringLiteral("false"));
    r.Tick(50);
    Ping(r, QStringLiteral("E:pong 1"));
    EXPECT_TRUE(r.Runner.IsRunning());
    r.Runner.Stop();
    ASSERT_TRUE(r.WaitForEnd());
    EXPECT_EQ(r.Runner.EndStatus(), esStop);
}

INSTANTIATE_TEST_SUITE_P(Cases, NoTimeLimit, testing::Values(TNoLimitCase{0, 0}, TNoLimitCase{-1, -5}),
                         [](const testing::TestParamInfo<TNoLimitCase> &AInfo) {
                             return AInfo.index == 0 ? "Zero" : "Negative";
                         });

// The same limits with the real one-second tick of the event loop.
TEST(TimeLimits, RealTicksEndARunThatOutlivesEitherLimit)
{
    const struct
    {
        int Beginning;
        int LastOutput;
        QString CommandLine;
    } cases[] = {
        {1, 0, QStringLiteral("sleep 30")},
        {0, 1, HelperCommand({WriteStep("working without a line end"), QStringLiteral("s:30000")})},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.CommandLine.toStdString());
        TRunnerRecorder r;
        r.Runner.SetMaxTimeAfterBeginning(c.Beginning);
        r.Runner.SetMaxTimeAfterLastOutput(c.LastOutput);
        r.Start(c.CommandLine);
        ASSERT_TRUE(r.WaitForEnd(15000));
        EXPECT_EQ(r.Runner.EndStatus(), esTime);
        EXPECT_GE(r.Runner.Timer()->SinceBeginning(), 2);
    }
}

// ---------------------------------------------------------------- input

struct TSendCase
{
    const char *Name;
    QList<QPair<QString, bool>> Sends;
    int ByteCount;
    const char *Hex;
};

class SendLine : public testing::TestWithParam<TSendCase>
{};

TEST_P(SendLine, WritesTheBytesTheChildReads)
{
    const TSendCase &c = GetParam();
    TRunnerRecorder r;
    r.StartHelper({QStringLiteral("rhex:%1").arg(c.ByteCount)});
    for (const auto &send : c.Sends)
        r.Runner.SendLine(send.first, send.second);
    ASSERT_TRUE(r.WaitForEnd());
    EXPECT_EQ(r.Runner.Lines()->ToStringList(), QStringList{QString::fromLatin1(c.Hex)});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SendLine,
    testing::Values(TSendCase{"WithLineEnd", {{"dir", true}}, 5, "6469720d0a"},
                    TSendCase{"WithoutLineEnd", {{"dir", false}}, 3, "646972"},
                    TSendCase{"MarkerOnlyLines", {{"", false}, {"", true}, {"x", false}}, 3, "0d0a78"},
                    TSendCase{"InOrder", {{"a", false}, {"b", true}, {"c", false}}, 5, "61620d0a63"},
                    TSendCase{"SystemCharacterSet", {{"é", false}}, 2, "c3a9"}),
    CaseName<TSendCase>);

TEST(SendLine, ALineForAnInputTheChildClosedIsDroppedWithoutAnError)
{
    TRunnerRecorder r;
    r.StartHelper({QStringLiteral("close0"), QStringLiteral("pid"), QStringLiteral("s:1000"), WriteStep("done\n")});
    ASSERT_TRUE(WaitUntil([&] { return r.Runner.Lines()->Count() == 1; })); // its input is closed by now
    r.Runner.SendLine(QStringLiteral("nobody reads this"), true);
    r.Runner.SendLine(QStringLiteral("nor this"), true);
    ASSERT_TRUE(r.WaitForEnd());
    EXPECT_EQ(r.Events.filter(QStringLiteral("error:")), QStringList()) << r.Events.join(u'|').toStdString();
    EXPECT_EQ(r.Events.last(), QStringLiteral("terminated"));
    EXPECT_EQ(r.Runner.EndStatus(), esProcess);
    EXPECT_EQ(r.Runner.ExitCode(), 0u);
    EXPECT_EQ(r.Runner.Lines()->ToStringList().value(1), QStringLiteral("done"));
    EXPECT_FALSE(HasZombieChild());
}

TEST(SendLine, EchoCompletesThePromptInOutputLinesButNotInLines)
{
    TRunnerRecorder r;
    r.Runner.SetInputToOutput(true);
    r.StartHelper({WriteStep("Name:"), QStringLiteral("r"), WriteStep("Hello\n")});
    ASSERT_TRUE(r.WaitForEvent(QStringLiteral("B:Name:")));
    EXPECT_EQ(r.Output.ToStringList(), QStringList{"Name:"});
    r.Runner.SendLine(QStringLiteral("Ann"), true);
    ASSERT_TRUE(r.WaitForEnd());
    EXPECT_EQ(r.LineEvents(), (QStringList{"B:Name:", "E:Name:Ann\r\n", "E:Hello"}));
    EXPECT_EQ(r.Output.ToStringList(), (QStringList{"Name:Ann\r\n", "Hello"}));
    EXPECT_EQ(r.Runner.Lines()->ToStringList(), QStringList{"Hello"});
}

TEST(SendLine, UsesTheAssignedEncodingAndDecodingOnTheirOwnThreads)
{
    TRunnerRecorder r;
    QThread *const gui = QThread::currentThread();
    std::atomic<bool> encodedOnGui{false}, decodedOnGui{false};
    r.Runner.SetOnCharEncoding([&](QObject *ASender, const QString &AChars, QByteArray &AOutBuf) {
        EXPECT_EQ(ASender, &r.Runner);
        encodedOnGui = encodedOnGui || QThread::currentThread() == gui;
        AOutBuf.append(AChars.toLatin1());
    });
    r.Runner.SetOnCharDecoding([&](QObject *ASender, const QByteArray &ABuf) {
        EXPECT_EQ(ASender, &r.Runner);
        decodedOnGui = decodedOnGui || QThread::currentThread() == gui;
        return QString::fromLatin1(ABuf).toUpper();
    });
    r.StartHelper({QStringLiteral("rhex:1"), WriteStep("caf\xE9\n")});
    r.Runner.SendLine(QStringLiteral("é"), false);
    ASSERT_TRUE(r.WaitForEnd());
    EXPECT_EQ(r.Runner.Lines()->ToStringList(), (QStringList{"E9", "CAFÉ"}));
    EXPECT_FALSE(encodedOnGui);
    EXPECT_FALSE(decodedOnGui);
}

// ---------------------------------------------------------------- child setup

TEST(ChildSetup, EnvironmentEntriesComeAfterTheInheritedOnes)
{
    TRunnerRecorder inherited;
    inherited.StartHelper({QStringLiteral("env")});
    ASSERT_TRUE(inherited.WaitForEnd());
    QStringList parent = inherited.Runner.Lines()->ToStringList();
    EXPECT_FALSE(parent.isEmpty());

    TRunnerRecorder r;
    r.Runner.Environment()->Add(QStringLiteral("TONARA_A=1 $x"));
    r.Runner.Environment()->Add(QStringLiteral("PATH=/nowhere"));
    r.StartHelper({QStringLiteral("env")});
    ASSERT_TRUE(r.WaitForEnd());
    EXPECT_EQ(r.Runner.Lines()->ToStringList(), parent + QStringList({"TONARA_A=1 $x", "PATH=/nowhere"}));
}

TEST(ChildSetup, RunsInCurrentDirWithThePriorityAsNiceValue)
{
    QTemporaryDir dir;
    TRunnerRecorder r;
    r.Runner.SetCurrentDir(dir.path());
    r.Runner.SetPriority(Platform::IDLE_PRIORITY_CLASS);
    r.Start(QStringLiteral("sh -c \"pwd; cut -d' ' -f19 /proc/$$/stat\""));
    ASSERT_TRUE(r.WaitForEnd());
    EXPECT_EQ(r.Runner.Lines()->ToStringList(), (QStringList{QDir(dir.path()).canonicalPath(), "19"}));
}

} // namespace
