// Start-up of the main window against a bare Qt window of the same shape
// (bench_bare_window), alternating round by round. For each start: the wall
// time from exec to the first map of a top-level window, the CPU time of every
// thread of the program by then (the sum of /proc/PID/task/*/schedstat), and
// the resident size once it has been idle for a while (the update check done).
// Needs an X server: xvfb-run -a ./build/bench/bench_startup [rounds [idle seconds]]
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <csignal>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

extern char **environ;

namespace {

struct TStart
{
    double WallMs = 0;
    double CpuMs = 0;
    double IdleMB = 0;
};

// The CPU time of every thread of APid so far: the first field of each
// thread's schedstat, in nanoseconds.
double CpuMsOf(pid_t APid)
{
    const QString tasks = QStringLiteral("/proc/%1/task").arg(APid);
    double ns = 0;
    for (const QString &task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks + QLatin1Char('/') + task + QStringLiteral("/schedstat"));
        if (stat.open(QIODevice::ReadOnly))
            ns += stat.readAll().split(' ').value(0).toDouble();
    }
    return ns / 1e6;
}

double ResidentMBOf(pid_t APid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(APid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    return 0;
}

// Watches the root window for top-level windows being mapped.
class TMapWatch
{
public:
    TMapWatch()
        : FConnection(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(FConnection)) {
            std::fprintf(stderr, "No X display (run under xvfb-run -a)\n");
            std::exit(2);
        }
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(FConnection)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(FConnection, root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(FConnection);
    }
    ~TMapWatch() { xcb_disconnect(FConnection); }

    // Waits for the next map of a window on the root; false after ATimeoutMs.
    bool WaitForMap(int ATimeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            while (xcb_generic_event_t *event = xcb_poll_for_event(FConnection)) {
                const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
                std::free(event);
                if (mapped)
                    return true;
            }
            const int left = ATimeoutMs - int(clock.elapsed());
            if (left <= 0)
                return false;
            pollfd fd{xcb_get_file_descriptor(FConnection), POLLIN, 0};
            poll(&fd, 1, left);
        }
    }

private:
    xcb_connection_t *FConnection;
};

TStart Measure(const QByteArray &AProgram, TMapWatch &AWatch, double AIdleSeconds)
{
    char *argv[] = {const_cast<char *>(AProgram.constData()), nullptr};
    QElapsedTimer clock;
    pid_t pid = 0;
    clock.start();
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv, environ) != 0) {
        std::fprintf(stderr, "Cannot start %s\n", argv[0]);
        std::exit(2);
    }
    TStart result;
    if (AWatch.WaitForMap(30000)) {
        result.WallMs = clock.nsecsElapsed() / 1e6;
        result.CpuMs = CpuMsOf(pid);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(int(AIdleSeconds * 1000)));
    result.IdleMB = ResidentMBOf(pid);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return result;
}

double Median(std::vector<double> AValues)
{
    std::sort(AValues.begin(), AValues.end());
    return AValues[AValues.size() / 2];
}

void Print(const char *AName, const TStart &AStart)
{
    std::printf("%-12s %10.1f %10.1f %10.1f\n", AName, AStart.WallMs, AStart.CpuMs, AStart.IdleMB);
}

TStart Medians(const std::vector<TStart> &AStarts)
{
    auto of = [&](double TStart::*AField) {
        std::vector<double> values;
        for (const TStart &s : AStarts)
            values.push_back(s.*AField);
        return Median(values);
    };
    return {of(&TStart::WallMs), of(&TStart::CpuMs), of(&TStart::IdleMB)};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 7;
    const double idleSeconds = argc > 2 ? std::atof(argv[2]) : 3.0;

    // Both programs start in an empty home of their own (settings, data
    // folder), and the update check asks a port where nobody listens.
    QTemporaryDir home;
    for (const char *name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(name, QDir(home.path()).filePath(QString::fromLatin1(name)).toLocal8Bit());
    qputenv("TONARA_SERVER", "127.0.0.1:9");

    TMapWatch watch;
    std::printf("Start to the first map of the window, %d rounds, alternating; idle after %.1f s\n", rounds,
                idleSeconds);
    std::printf("%-12s %10s %10s %10s\n", "", "wall ms", "CPU ms", "idle MB");
    std::vector<TStart> tonara;
    std::vector<TStart> bare;
    for (int i = 0; i < rounds; ++i) {
        bare.push_back(Measure(BARE_WINDOW_EXECUTABLE, watch, idleSeconds));
        Print("bare window", bare.back());
        tonara.push_back(Measure(TONARA_EXECUTABLE, watch, idleSeconds));
        Print("tonara", tonara.back());
    }
    const TStart t = Medians(tonara);
    const TStart b = Medians(bare);
    std::printf("\nMedians\n");
    Print("bare window", b);
    Print("tonara", t);
    std::printf("\nratio tonara/bare window: wall %.2f, CPU %.2f (goal <= 1.1), idle memory %.2f (goal <= 1.3)\n",
                t.WallMs / b.WallMs, t.CpuMs / b.CpuMs, t.IdleMB / b.IdleMB);
    return 0;
}
