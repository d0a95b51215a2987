#include "platform/ChildProcess.h"
#include "platform/Pipe.h"
#include "platform/PriorityClass.h"
#include "platform/SystemErrorText.h"
#include "process/ProcessTestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace ProcessTest;

namespace {

struct TRunResult
{
    int Error = 0;
    QByteArray Output;
    int ExitCode = -1;
    pid_t Pid = -1;
};

// Starts a command line with output and error into one pipe, reads it to the end.
TRunResult RunChild(const QString &ACommandLine, Platform::TChildOptions AOptions = {})
{
    TRunResult result;
    Platform::TPipe out;
    EXPECT_EQ(out.Create(), 0);
    AOptions.StdOut = AOptions.StdErr = out.WriteEnd();
    Platform::TChildProcess child;
    result.Error = child.Start(ACommandLine, AOptions);
    out.CloseWrite();
    if (result.Error != 0)
        return result;
    result.Pid = child.Pid();
    char buffer[4096];
    ssize_t n;
    while ((n = read(out.ReadEnd(), buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
        result.Output.append(buffer, n > 0 ? n : 0);
    EXPECT_TRUE(child.WaitForEnd(-1));
    result.ExitCode = child.ExitCode();
    return result;
}

TEST(ChildProcess, PassesArgumentsUnchangedWithoutAShell)
{
    const TRunResult r = RunChild(QStringLiteral("printf \"%s|\" 'a b' \"$HOME\" \"Müller Café\" \"*\" \"x\\\"y\""));
    ASSERT_EQ(r.Error, 0);
    EXPECT_EQ(QString::fromUtf8(r.Output), QStringLiteral("'a|b'|$HOME|Müller Café|*|x\"y|"));
}

TEST(ChildProcess, MergesOutputAndErrorAndReportsTheExitCode)
{
    const TRunResult r = RunChild(QStringLiteral("sh -c \"echo out; echo err >&2; exit 3\""));
    ASSERT_EQ(r.Error, 0);
    EXPECT_EQ(r.Output, QByteArray("out\nerr\n"));
    EXPECT_EQ(r.ExitCode, 3);
}

TEST(ChildProcess, ReportsWhyAStartFailed)
{
    QTemporaryDir dir;
    const struct
    {
        QString CommandLine;
        QString Folder;
        int Error;
    } cases[] = {
        {QStringLiteral("no-such-program-tonara"), QString(), ENOENT},
        {QStringLiteral("\"") + dir.path() + QStringLiteral("/missing\""), QString(), ENOENT},
        {QStringLiteral("true"), dir.filePath(QStringLiteral("no-such-folder")), ENOENT},
        {QString(), QString(), ENOENT},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.CommandLine.toStdString() + " in " + c.Folder.toStdString());
        Platform::TChildOptions options;
        options.WorkingFolder = c.Folder;
        const int before = OpenDescriptorCount();
        EXPECT_EQ(RunChild(c.CommandLine, options).Error, c.Error);
        EXPECT_EQ(OpenDescriptorCount(), before);
        EXPECT_FALSE(HasZombieChild());
    }
    EXPECT_EQ(Platform::SystemErrorText(ENOENT), QStringLiteral("No such file or directory"));
}

TEST(ChildProcess, ExecFailureOfAFoundFileComesBackFromTheChild)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("not-a-program"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\x7f"
               "ELF garbage");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_EQ(RunChild(QLatin1Char('"') + path + QLatin1Char('"')).Error, ENOEXEC);
}

// The first start of a process, so a sanitizer's one-time warning would show:
// what the child does before exec never reaches our own standard error.
TEST(ChildProcess, StartingLeavesOurStandardErrorAlone)
{
    Platform::TPipe ours;
    ASSERT_EQ(ours.Create(), 0);
    const int savedError = dup(STDERR_FILENO);
    ASSERT_GE(savedError, 0);
    dup2(ours.WriteEnd(), STDERR_FILENO);
    const TRunResult r = RunChild(QStringLiteral("sh -c \"echo from the child\""));
    dup2(savedError, STDERR_FILENO);
    close(savedError);
    ours.CloseWrite();
    EXPECT_EQ(r.Output, QByteArray("from the child\n"));
    Platform::SetNonBlocking(ours.ReadEnd());
    char byte;
    EXPECT_EQ(read(ours.ReadEnd(), &byte, 1), 0) << "something was written on our standard error";
}

TEST(ChildProcess, RunsInTheGivenFolder)
{
    QTemporaryDir dir;
    Platform::TChildOptions options;
    options.WorkingFolder = dir.path();
    EXPECT_EQ(RunChild(QStringLiteral("pwd"), options).Output, QFile::encodeName(dir.path()) + "\n");
}

TEST(ChildProcess, AppendsExtraEnvironmentAfterTheInheritedOne)
{
    qputenv("TONARA_INHERITED", "parent");
    const QStringList inherited = QString::fromLocal8Bit(RunChild(HelperCommand({QStringLiteral("env")})).Output)
                                      .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_TRUE(inherited.contains(QStringLiteral("TONARA_INHERITED=parent")));

    Platform::TChildOptions options;
    options.ExtraEnvironment = {QStringLiteral("TONARA_EXTRA=é $x"), QStringLiteral("TONARA_INHERITED=child")};
    const QStringList extended =
        QString::fromLocal8Bit(RunChild(HelperCommand({QStringLiteral("env")}), options).Output)
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_EQ(extended, inherited + options.ExtraEnvironment);
    qunsetenv("TONARA_INHERITED");
}

TEST(ChildProcess, HandsOverOnlyTheStandardDescriptors)
{
    const int leaked = open("/dev/null", O_RDONLY); // deliberately without O_CLOEXEC
    ASSERT_GE(leaked, 0);
    const TRunResult r = RunChild(HelperCommand({QStringLiteral("fds")}));
    close(leaked);
    EXPECT_EQ(r.Output, QByteArray("0 1 2\n"));
}

TEST(ChildProcess, StartsInANewSessionWithTheNiceValue)
{
    Platform::TChildOptions options;
    options.NiceValue = Platform::NiceValueOfPriorityClass(Platform::IDLE_PRIORITY_CLASS);
    const TRunResult r = RunChild(QStringLiteral("cat /proc/self/stat"), options);
    // Fields after the command name: state ppid pgrp session ... nice is the 19th field.
    const QList<QByteArray> fields = r.Output.mid(r.Output.lastIndexOf(')') + 2).split(' ');
    ASSERT_GT(fields.size(), 17);
    EXPECT_EQ(fields[3].toInt(), r.Pid) << "session id";
    EXPECT_EQ(fields[16].toInt(), 19) << "nice";

    const TRunResult plain = RunChild(QStringLiteral("cat /proc/self/stat"));
    EXPECT_EQ(plain.Output.mid(plain.Output.lastIndexOf(')') + 2).split(' ')[16].toInt(), getpriority(PRIO_PROCESS, 0));
}

TEST(ChildProcess, PriorityClassesMapToNiceValues)
{
    using namespace Platform;
    EXPECT_EQ(NiceValueOfPriorityClass(NORMAL_PRIORITY_CLASS), std::nullopt);
    EXPECT_EQ(NiceValueOfPriorityClass(0), std::nullopt);
    EXPECT_EQ(NiceValueOfPriorityClass(IDLE_PRIORITY_CLASS), 19);
    EXPECT_EQ(NiceValueOfPriorityClass(BELOW_NORMAL_PRIORITY_CLASS | 0x10), 10);
    EXPECT_EQ(NiceValueOfPriorityClass(ABOVE_NORMAL_PRIORITY_CLASS), -5);
    EXPECT_EQ(NiceValueOfPriorityClass(HIGH_PRIORITY_CLASS), -10);
    EXPECT_EQ(NiceValueOfPriorityClass(REALTIME_PRIORITY_CLASS), -20);
}

TEST(ChildProcess, KillEndsTheChildWithExitCodeZeroAndOtherSignalsDoNot)
{
    Platform::TChildProcess child;
    ASSERT_EQ(child.Start(QStringLiteral("sleep 30"), {}), 0);
    EXPECT_FALSE(child.TryReap());
    EXPECT_FALSE(child.WaitForEnd(0));
    EXPECT_TRUE(child.Kill());
    EXPECT_TRUE(child.WaitForEnd(5000));
    EXPECT_EQ(child.ExitCode(), 0);

    EXPECT_EQ(RunChild(QStringLiteral("sh -c \"kill -TERM $$\"")).ExitCode, 128 + SIGTERM);
}

TEST(ChildProcess, AChildGivenUpWhileRunningIsStillReaped)
{
    Platform::TPipe in;
    ASSERT_EQ(in.Create(), 0);
    Platform::TChildOptions options;
    options.StdIn = in.ReadEnd();
    pid_t pid;
    {
        Platform::TChildProcess child;
        ASSERT_EQ(child.Start(QStringLiteral("cat"), options), 0);
        pid = child.Pid();
        in.CloseRead();
    }
    EXPECT_EQ(kill(pid, 0), 0) << "still running";
    in.CloseWrite(); // cat sees the end of its input and exits
    EXPECT_TRUE(WaitUntil([pid] { return kill(pid, 0) != 0 && errno == ESRCH; }));
    EXPECT_FALSE(HasZombieChild());
}

TEST(Pipe, WriteAllReportsAReaderThatWentAwayAndCanBeAborted)
{
    Platform::TPipe pipe;
    ASSERT_EQ(pipe.Create(), 0);
    Platform::SetNonBlocking(pipe.WriteEnd());
    Platform::TPipe abort;
    ASSERT_EQ(abort.Create(), 0);
    ASSERT_EQ(write(abort.WriteEnd(), "x", 1), 1);
    // More than the pipe holds and nobody reads: the abort descriptor ends the wait.
    EXPECT_EQ(Platform::WriteAll(pipe.WriteEnd(), QByteArray(1 << 20, 'a'), abort.ReadEnd()), ECANCELED);
    pipe.CloseRead();
    EXPECT_EQ(Platform::WriteAll(pipe.WriteEnd(), QByteArray("dir\r\n"), abort.ReadEnd()), EPIPE);
}

} // namespace
