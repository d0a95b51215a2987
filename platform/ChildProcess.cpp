#include "platform/ChildProcess.h"

#include "platform/FileName.h"
#include "platform/CommandLine.h"
#include "platform/Pipe.h"
#include "platform/ProgramSearch.h"

#include <QFile>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
// glibc 2.36 declares these without C linkage for C++.
extern "C" {
#include <sys/pidfd.h>
}
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace Platform {

void RestoreDefaultChildSignal()
{
    struct sigaction action
    {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(SIGCHLD, &action, nullptr);
}

namespace {

// Everything the child needs, prepared before fork: after fork only
// async-signal-safe calls are allowed in the child.
struct TChildLaunch
{
    QByteArray Path;
    QByteArray Folder;
    std::vector<QByteArray> ArgStore;
    std::vector<char *> Argv;
    std::vector<QByteArray> EnvStore;
    std::vector<char *> Envp;
    int Std[3] = {-1, -1, -1};
    std::optional<int> NiceValue;
    bool NewSession = true;
};

std::vector<char *> Pointers(std::vector<QByteArray> &AStore)
{
    std::vector<char *> result;
    result.reserve(AStore.size() + 1);
    for (QByteArray &s : AStore)
        result.push_back(s.data());
    result.push_back(nullptr);
    return result;
}

void PrepareEnvironment(TChildLaunch &ALaunch, const QStringList &AExtra)
{
    if (AExtra.isEmpty())
        return;
    for (char **e = environ; e && *e; ++e)
        ALaunch.EnvStore.emplace_back(*e);
    for (const QString &entry : AExtra)
        ALaunch.EnvStore.push_back(entry.toLocal8Bit());
    ALaunch.Envp = Pointers(ALaunch.EnvStore);
}

// The child's code until exec runs on a stack that AddressSanitizer does not
// know; instrumented, its first call that does not return makes the sanitizer
// write a warning onto the standard error the child still shares with us.
#define TONARA_CHILD_CODE __attribute__((no_sanitize_address))

[[noreturn]] TONARA_CHILD_CODE void ChildFailed(int AStatusFd, int AError)
{
    while (write(AStatusFd, &AError, sizeof AError) < 0 && errno == EINTR) {
    }
    _exit(127);
}

// Marks every descriptor from 3 up close-on-exec (the status pipe already is).
void CloseOthersOnExec()
{
    if (close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0)
        return;
    rlimit limit{};
    const long max = getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < 65536 ? long(limit.rlim_cur) : 65536;
    for (int fd = 3; fd < max; ++fd)
        fcntl(fd, F_SETFD, FD_CLOEXEC);
}

[[noreturn]] TONARA_CHILD_CODE void RunChild(TChildLaunch &ALaunch, int AStatusFd)
{
    // Handlers of this program must not run in the child, which shares its
    // memory until exec: reset them while every signal is still blocked, then
    // unblock (the starting thread may block SIGPIPE; a program starts clean).
    struct sigaction dfl
    {};
    dfl.sa_handler = SIG_DFL;
    for (int sig = 1; sig < NSIG; ++sig) {
        struct sigaction current
        {};
        if (sigaction(sig, nullptr, &current) == 0 && (current.sa_handler != SIG_IGN || sig == SIGPIPE)
            && current.sa_handler != SIG_DFL)
            sigaction(sig, &dfl, nullptr);
    }
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);

    if (ALaunch.NewSession)
        setsid();
    if (ALaunch.NiceValue)
        setpriority(PRIO_PROCESS, 0, *ALaunch.NiceValue); // best effort, see PriorityClass.h
    // Lift the given descriptors above 2 first, so that placing one cannot
    // overwrite another still to be placed.
    int lifted[3];
    for (int i = 0; i < 3; ++i) {
        lifted[i] = ALaunch.Std[i] < 0 ? -1 : fcntl(ALaunch.Std[i], F_DUPFD_CLOEXEC, 3);
        if (ALaunch.Std[i] >= 0 && lifted[i] < 0)
            ChildFailed(AStatusFd, errno);
    }
    for (int i = 0; i < 3; ++i)
        if (lifted[i] >= 0 && dup2(lifted[i], i) < 0)
            ChildFailed(AStatusFd, errno);
    CloseOthersOnExec();
    if (!ALaunch.Folder.isEmpty() && chdir(ALaunch.Folder.constData()) != 0)
        ChildFailed(AStatusFd, errno);
    execve(ALaunch.Path.constData(), ALaunch.Argv.data(), ALaunch.Envp.empty() ? environ : ALaunch.Envp.data());
    ChildFailed(AStatusFd, errno);
}

#if defined(__SANITIZE_THREAD__)

// ThreadSanitizer takes any clone for a fork and runs its fork handling in a
// child that shares our memory, which breaks the start below. Its builds start
// the child through the raw system call instead: a copy of this process (no
// shared memory) that this thread still waits for until it has called exec.
pid_t CloneChild(TChildLaunch &ALaunch, int AStatusFd)
{
    sigset_t all;
    sigset_t old;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &old);
    const long pid = syscall(SYS_clone, CLONE_VFORK | SIGCHLD, nullptr, nullptr, nullptr, nullptr);
    if (pid == 0)
        RunChild(ALaunch, AStatusFd);
    const int error = errno;
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    errno = error;
    return pid_t(pid);
}

#else

struct TCloneArgs
{
    TChildLaunch *Launch;
    int StatusFd;
};

TONARA_CHILD_CODE int CloneEntry(void *AArgs)
{
    auto *args = static_cast<TCloneArgs *>(AArgs);
    RunChild(*args->Launch, args->StatusFd);
}

// Starts the child the way posix_spawn does: it shares our memory, runs on a
// stack of its own and this thread sleeps until the child has called exec (or
// failed), so no page tables are copied for a child that replaces itself at
// once. Every signal stays blocked meanwhile, so none is handled in the child.
pid_t CloneChild(TChildLaunch &ALaunch, int AStatusFd)
{
    constexpr size_t stackSize = 256 * 1024;
    std::vector<char> stack(stackSize);
    TCloneArgs args{&ALaunch, AStatusFd};
    sigset_t all;
    sigset_t old;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &old);
    const pid_t pid = clone(CloneEntry, stack.data() + stack.size(), CLONE_VM | CLONE_VFORK | SIGCHLD, &args);
    const int error = errno;
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    errno = error;
    return pid;
}

#endif

// What the child reported through the status pipe: 0 once exec succeeded.
int ReadChildStatus(int AStatusFd)
{
    int error = 0;
    ssize_t n;
    while ((n = read(AStatusFd, &error, sizeof error)) < 0 && errno == EINTR) {
    }
    return n == sizeof error ? error : 0;
}

void ReapInBackground(pid_t APid)
{
    std::thread([APid] {
        while (waitpid(APid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

} // namespace

TChildProcess::~TChildProcess()
{
    Close();
}

int TChildProcess::Start(const QString &ACommandLine, const TChildOptions &AOptions)
{
    return Start(SplitCommandLine(ACommandLine), AOptions);
}

int TChildProcess::Start(const QStringList &AArguments, const TChildOptions &AOptions)
{
    if (Started() || AArguments.isEmpty())
        return Started() ? EBUSY : ENOENT;
    const QString program = FindProgram(AArguments.first());
    if (program.isEmpty())
        return ENOENT;

    TChildLaunch launch;
    launch.Path = EncodeFileName(program);
    launch.Folder = EncodeFileName(AOptions.WorkingFolder);
    for (const QString &argument : AArguments)
        launch.ArgStore.push_back(EncodeFileName(argument));
    launch.Argv = Pointers(launch.ArgStore);
    PrepareEnvironment(launch, AOptions.ExtraEnvironment);
    launch.Std[0] = AOptions.StdIn;
    launch.Std[1] = AOptions.StdOut;
    launch.Std[2] = AOptions.StdErr;
    launch.NiceValue = AOptions.NiceValue;
    launch.NewSession = AOptions.NewSession;

    TPipe status;
    if (const int error = status.Create())
        return error;
    const pid_t pid = CloneChild(launch, status.WriteEnd());
    if (pid < 0)
        return errno;
    status.CloseWrite();
    const int pidFd = pidfd_open(pid, 0);
    const int pidFdError = pidFd < 0 ? errno : 0;
    const int childError = ReadChildStatus(status.ReadEnd());
    if (childError != 0 || pidFdError != 0) {
        if (pidFd >= 0)
            close(pidFd);
        if (childError == 0)
            kill(pid, SIGKILL);
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        return childError != 0 ? childError : pidFdError;
    }
    FPid = pid;
    FPidFd = pidFd;
    FEnded = false;
    FKilled = false;
    FExitCode = 0;
    return 0;
}

bool TChildProcess::TryReap()
{
    if (FEnded || FPid <= 0)
        return FEnded;
    siginfo_t info{};
    int result;
    while ((result = waitid(P_PID, id_t(FPid), &info, WEXITED | WNOHANG)) < 0 && errno == EINTR) {
    }
    if (result < 0 && errno == ECHILD) {
        // Someone else reaped it (SIGCHLD ignored makes the kernel do so): it
        // has ended, but how is unknown, so it counts as a failure.
        FEnded = true;
        FExitCode = UnknownEndExitCode;
        return true;
    }
    if (result < 0 || info.si_pid == 0)
        return false;
    FEnded = true;
    if (info.si_code == CLD_EXITED)
        FExitCode = info.si_status;
    else
        FExitCode = FKilled && info.si_status == SIGKILL ? 0 : 128 + info.si_status;
    return true;
}

bool TChildProcess::WaitForEnd(int ATimeoutMs)
{
    if (TryReap() || FPidFd < 0)
        return FEnded;
    pollfd p{FPidFd, POLLIN, 0};
    int n;
    while ((n = poll(&p, 1, ATimeoutMs)) < 0 && errno == EINTR) {
    }
    return TryReap();
}

bool TChildProcess::Kill()
{
    if (FEnded || FPidFd < 0)
        return false;
    FKilled = true;
    return pidfd_send_signal(FPidFd, SIGKILL, nullptr, 0) == 0;
}

void TChildProcess::Close()
{
    if (FPidFd >= 0) {
        close(FPidFd);
        FPidFd = -1;
    }
    if (FPid > 0 && !TryReap())
        ReapInBackground(FPid);
    FPid = -1;
}

} // namespace Platform
