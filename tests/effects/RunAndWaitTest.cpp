#include "effects/RunAndWait.h"

#include "platform/CommandLine.h"
#include "platform/Pipe.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

class RunAndWaitTest : public ::testing::Test
{
protected:
    // A command line that runs AScript with sh, the further arguments quoted.
    static QString Shell(const QString &AScript, const QStringList &AArguments = {})
    {
        QString line = QStringLiteral("sh -c ") + Platform::QuoteArgument(AScript) + QStringLiteral(" sh");
        for (const QString &argument : AArguments)
            line += QLatin1Char(' ') + Platform::QuoteArgument(argument);
        return line;
    }

    QString Read(const QString &AName) const
    {
        QFile file(FFolder.filePath(AName));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QStringLiteral("<missing>");
    }

    QTemporaryDir FFolder;
};

TEST_F(RunAndWaitTest, RunsInTheFolderAndReportsTheExitCode)
{
    const TRunAndWaitResult result = RunAndWait(Shell(QStringLiteral("pwd > here.txt; exit 3")), FFolder.path());
    EXPECT_TRUE(result.Started);
    EXPECT_EQ(result.ExitCode, 3);
    EXPECT_FALSE(result.Succeeded());
    EXPECT_EQ(Read(QStringLiteral("here.txt")).trimmed(), QDir(FFolder.path()).canonicalPath());
}

TEST_F(RunAndWaitTest, InputIsTheNullDeviceNotOurs)
{
    // "cat" would wait for a person if it could read our terminal.
    const TRunAndWaitResult result =
        RunAndWait(Shell(QStringLiteral("readlink /proc/self/fd/0 > input.txt; cat > copy.txt")), FFolder.path());
    EXPECT_TRUE(result.Succeeded());
    EXPECT_EQ(Read(QStringLiteral("input.txt")).trimmed(), QStringLiteral("/dev/null"));
    EXPECT_EQ(Read(QStringLiteral("copy.txt")), QString());
}

TEST_F(RunAndWaitTest, OutputIsReadToItsEndAndDiscarded)
{
    // Far more than a pipe holds, on both channels: a child writing into a
    // pipe nobody reads would never end.
    const TRunAndWaitResult result = RunAndWait(
        Shell(QStringLiteral("head -c 3000000 /dev/zero; head -c 3000000 /dev/zero >&2; echo done > end.txt")),
        FFolder.path());
    EXPECT_TRUE(result.Succeeded());
    EXPECT_EQ(Read(QStringLiteral("end.txt")).trimmed(), QStringLiteral("done"));
}

TEST_F(RunAndWaitTest, ArgumentsReachTheChildAsTheyAre)
{
    const QString awkward = QStringLiteral("$HOME; rm -rf x | `id` 'a' \"b\" Ærø \\");
    const TRunAndWaitResult result =
        RunAndWait(Shell(QStringLiteral("printf %s \"$1\" > arg.txt"), {awkward}), FFolder.path());
    EXPECT_TRUE(result.Succeeded());
    EXPECT_EQ(Read(QStringLiteral("arg.txt")), awkward);
}

TEST_F(RunAndWaitTest, AProgramThatCannotStartIsReported)
{
    const TRunAndWaitResult missing = RunAndWait(QStringLiteral("no-such-program-here -v"), FFolder.path());
    EXPECT_FALSE(missing.Started);
    EXPECT_EQ(missing.StartError, ENOENT);
    EXPECT_FALSE(missing.Succeeded());

    const TRunAndWaitResult noFolder = RunAndWait(QStringLiteral("true"), FFolder.filePath(QStringLiteral("gone")));
    EXPECT_FALSE(noFolder.Started);
    EXPECT_EQ(noFolder.StartError, ENOENT);
}

TEST_F(RunAndWaitTest, AReadableStopDescriptorEndsTheChildAtOnce)
{
    // A signal arrived while the caller's event loop is blocked in here.
    Platform::TPipe stop;
    ASSERT_EQ(stop.Create(), 0);
    ASSERT_EQ(write(stop.WriteEnd(), "x", 1), 1);
    const TRunAndWaitResult result =
        RunAndWait(Shell(QStringLiteral("exec sleep 600")), FFolder.path(), stop.ReadEnd());
    EXPECT_TRUE(result.Started);
    EXPECT_TRUE(result.Stopped);
    EXPECT_FALSE(result.Succeeded());
    char byte = 0;
    EXPECT_EQ(read(stop.ReadEnd(), &byte, 1), 1) << "the signal is left for its owner";
}

TEST_F(RunAndWaitTest, AChildReapedBySomeoneElseIsNoSuccess)
{
    // With SIGCHLD ignored the kernel reaps the child itself: how it ended is lost.
    struct sigaction ignore
    {};
    struct sigaction old
    {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGCHLD, &ignore, &old);
    const TRunAndWaitResult result = RunAndWait(Shell(QStringLiteral("sleep 0.1; exit 0")), FFolder.path());
    sigaction(SIGCHLD, &old, nullptr);
    EXPECT_TRUE(result.Started);
    EXPECT_FALSE(result.Succeeded());
}

} // namespace
