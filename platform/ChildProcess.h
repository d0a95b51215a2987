#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <sys/types.h>

namespace Platform {

// Exit code of a child that ended out of our sight, reaped by someone else.
inline constexpr int UnknownEndExitCode = 255;

// Gives SIGCHLD back its default handling. A parent may have started us with
// it ignored, and then the kernel reaps our children before we can learn how
// they ended. Call it at start-up, before any child is started.
void RestoreDefaultChildSignal();

// How a child is started.
struct TChildOptions
{
    // Descriptors that become the child's standard input, output and error;
    // -1 leaves the parent's own. The same descriptor may be given twice
    // (output and error merged). Every other descriptor of this program is
    // closed in the child.
    int StdIn = -1;
    int StdOut = -1;
    int StdErr = -1;
    // The child's working folder; empty means the parent's.
    QString WorkingFolder;
    // NAME=value entries put after the inherited environment (a name that is
    // already there then occurs twice). Empty: the inherited one unchanged.
    QStringList ExtraEnvironment;
    // Nice value of the child; none keeps the parent's.
    std::optional<int> NiceValue;
    // Start the child in a session of its own, away from our terminal.
    bool NewSession = true;
};

// One child process, started without any shell and always reaped.
// The child's end is watched through a pidfd, so a pid that was reused can
// never be signalled or waited for by mistake.
class TChildProcess
{
public:
    TChildProcess() = default;
    // A child still running is reaped in the background when it ends.
    ~TChildProcess();
    TChildProcess(const TChildProcess &) = delete;
    TChildProcess &operator=(const TChildProcess &) = delete;

    // Splits ACommandLine by the Windows rules (CommandLine.h), finds the
    // program (ProgramSearch.h) and starts it. Returns 0, or the error number
    // of what failed: ENOENT for a program not found, or whatever the child
    // met before it could run the program (working folder, exec).
    int Start(const QString &ACommandLine, const TChildOptions &AOptions);
    // The same with the arguments already split; AArguments[0] is the program.
    int Start(const QStringList &AArguments, const TChildOptions &AOptions);

    bool Started() const { return FPid > 0; }
    pid_t Pid() const { return FPid; }
    // Readable once the child has ended; -1 when not started or closed.
    int PidFd() const { return FPidFd; }

    // Reaps the child if it has ended, without waiting. True once ended.
    bool TryReap();
    // Waits at most ATimeoutMs (negative: without limit) for the end.
    bool WaitForEnd(int ATimeoutMs);
    bool HasEnded() const { return FEnded; }
    // Exit status of an ended child; a child killed by Kill reports 0, one
    // killed by another signal 128 + the signal number, one reaped by someone
    // else UnknownEndExitCode.
    int ExitCode() const { return FExitCode; }

    // Ends the child at once (SIGKILL). Only this child, not its own children.
    bool Kill();

    // Gives up the pidfd. A child that has not ended is then reaped in the
    // background when it does, so it never lingers as a zombie.
    void Close();

private:
    pid_t FPid = -1;
    int FPidFd = -1;
    bool FEnded = false;
    bool FKilled = false;
    int FExitCode = 0;
};

} // namespace Platform
