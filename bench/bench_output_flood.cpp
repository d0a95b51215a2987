// A child that writes 80-byte lines as fast as it can (`yes` with 79
// characters), read for a few seconds by TProcessRunner and, side by side, by
// QProcess reading line by line on readyRead. For each: the longest stall of
// the event loop during the flood (gaps between the ticks of a 1 ms timer),
// the peak growth of resident memory (the runner's handler empties Lines as it
// goes), lines per second reaching the handler, and the time from the stop to
// the end notification, and the CPU time the process spent per line.
// Run by hand: ./build/bench/bench_output_flood [seconds [rounds [runner|qprocess]]]
// (naming one side measures only that one, for a profiler).
#include "process/ProcessRunner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

const QString FloodProgram = QStringLiteral("yes");
const QString FloodText = QString(79, QLatin1Char('x'));

struct TFloodResult
{
    double StallMs = 0;
    double MemoryGrowthMB = 0;
    double LinesPerSecond = 0;
    double StopToEndMs = 0;
    // CPU time of the whole process (every thread) per line during the flood:
    // what a line costs, which a busy machine does not blur as it does lines/s.
    double CpuNsPerLine = 0;
};

qint64 ProcessCpuNs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

qint64 ResidentBytes()
{
    FILE *statm = std::fopen("/proc/self/statm", "r");
    long pages = 0;
    long resident = 0;
    if (statm) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return qint64(resident) * sysconf(_SC_PAGESIZE);
}

// Samples the resident size on a thread of its own, so a blocked event loop
// cannot hide a peak.
class TMemoryPeak
{
public:
    TMemoryPeak()
        : FBase(ResidentBytes())
        , FPeak(FBase)
        , FThread([this] {
            while (!FStop) {
                FPeak = std::max(FPeak.load(), ResidentBytes());
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        })
    {}
    ~TMemoryPeak()
    {
        FStop = true;
        FThread.join();
    }
    double GrowthMB() const { return (FPeak - FBase) / 1e6; }

private:
    qint64 FBase;
    std::atomic<qint64> FPeak;
    std::atomic<bool> FStop{false};
    std::thread FThread;
};

// Measures the gaps between the ticks of a 1 ms timer until Stop.
class TStallMeter
{
public:
    TStallMeter()
    {
        FTimer.setTimerType(Qt::PreciseTimer);
        FTimer.setInterval(1);
        QObject::connect(&FTimer, &QTimer::timeout, [this] {
            FLongestNs = std::max(FLongestNs, FClock.nsecsElapsed());
            FClock.start();
        });
        FClock.start();
        FTimer.start();
    }
    void Stop() { FTimer.stop(); }
    double LongestMs() const { return FLongestNs / 1e6; }

private:
    QTimer FTimer;
    QElapsedTimer FClock;
    qint64 FLongestNs = 0;
};

// The shared part of one flood: the meters, the clock, and the stop after
// ASeconds, requested from the event loop as a click on Stop would be.
template <class TStart, class TStop> TFloodResult Flood(double ASeconds, qint64 &ALines, TStart AStart,
                                                        TStop AStopChild, QEventLoop &AEnded, QElapsedTimer &AStopClock)
{
    TFloodResult result;
    TMemoryPeak memory;
    TStallMeter stalls;
    QElapsedTimer clock;
    qint64 cpuAtStart = 0;
    QTimer::singleShot(int(ASeconds * 1000), [&] {
        result.LinesPerSecond = ALines / (clock.nsecsElapsed() / 1e9);
        result.CpuNsPerLine = ALines > 0 ? double(ProcessCpuNs() - cpuAtStart) / double(ALines) : 0;
        stalls.Stop();
        AStopClock.start();
        AStopChild();
    });
    clock.start();
    cpuAtStart = ProcessCpuNs();
    AStart();
    AEnded.exec();
    result.StopToEndMs = AStopClock.nsecsElapsed() / 1e6;
    result.StallMs = stalls.LongestMs();
    result.MemoryGrowthMB = memory.GrowthMB();
    return result;
}

TFloodResult RunnerFlood(double ASeconds)
{
    TProcessRunner runner;
    QEventLoop ended;
    QElapsedTimer stopClock;
    qint64 lines = 0;
    runner.SetOnNewLine([&](QObject *, const QString &ALine, TOutputType AType) {
        if (AType == otEntireLine && !ALine.isEmpty())
            ++lines;
        if (runner.Lines()->Count() >= 1000)
            runner.Lines()->Clear();
    });
    runner.SetOnTerminated([&](QObject *) { ended.quit(); });
    runner.SetCommandLine(FloodProgram + QLatin1Char(' ') + FloodText);
    return Flood(
        ASeconds, lines, [&] { runner.Execute(); }, [&] { runner.Stop(); }, ended, stopClock);
}

TFloodResult QProcessFlood(double ASeconds)
{
    QProcess process;
    QEventLoop ended;
    QElapsedTimer stopClock;
    qint64 lines = 0;
    process.setProcessChannelMode(QProcess::MergedChannels);
    QObject::connect(&process, &QProcess::readyRead, [&] {
        while (process.canReadLine())
            if (!QString::fromLocal8Bit(process.readLine().chopped(1)).isEmpty())
                ++lines;
    });
    QObject::connect(&process, &QProcess::finished, &ended, &QEventLoop::quit);
    return Flood(
        ASeconds, lines, [&] { process.start(FloodProgram, {FloodText}); }, [&] { process.kill(); }, ended, stopClock);
}

void Print(const char *AName, const TFloodResult &AResult)
{
    std::printf("%-16s %10.1f %12.1f %12.0f %12.2f %12.0f\n", AName, AResult.StallMs, AResult.MemoryGrowthMB,
                AResult.LinesPerSecond, AResult.StopToEndMs, AResult.CpuNsPerLine);
}

double Median(std::vector<double> AValues)
{
    std::sort(AValues.begin(), AValues.end());
    return AValues[AValues.size() / 2];
}

TFloodResult Medians(const std::vector<TFloodResult> &AResults)
{
    auto of = [&](double TFloodResult::*AField) {
        std::vector<double> values;
        for (const TFloodResult &r : AResults)
            values.push_back(r.*AField);
        return Median(values);
    };
    return {of(&TFloodResult::StallMs), of(&TFloodResult::MemoryGrowthMB), of(&TFloodResult::LinesPerSecond),
            of(&TFloodResult::StopToEndMs), of(&TFloodResult::CpuNsPerLine)};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    const QString only = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();

    std::printf("Flood: `yes` with 80-byte lines for %.1f s, %d rounds, alternating\n", seconds, rounds);
    std::printf("%-16s %10s %12s %12s %12s %12s\n", "", "stall ms", "memory MB", "lines/s", "stop->end ms",
                "CPU ns/line");
    std::vector<TFloodResult> runner;
    std::vector<TFloodResult> qprocess;
    for (int i = 0; i < rounds; ++i) {
        if (only != QLatin1String("qprocess")) {
            runner.push_back(RunnerFlood(seconds));
            Print("TProcessRunner", runner.back());
        }
        if (only != QLatin1String("runner")) {
            qprocess.push_back(QProcessFlood(seconds));
            Print("QProcess", qprocess.back());
        }
    }
    if (!only.isEmpty())
        return 0;
    const TFloodResult r = Medians(runner);
    const TFloodResult q = Medians(qprocess);
    std::printf("\nMedians\n");
    Print("TProcessRunner", r);
    Print("QProcess", q);

    std::printf("\nGoals (medians)\n");
    std::printf("stall <= max(3 x QProcess, 20 ms): %.1f ms <= %.1f ms: %s\n", r.StallMs, std::max(3 * q.StallMs, 20.0),
                r.StallMs <= std::max(3 * q.StallMs, 20.0) ? "met" : "NOT met");
    std::printf("memory growth < 64 MB: %.1f MB: %s\n", r.MemoryGrowthMB, r.MemoryGrowthMB < 64 ? "met" : "NOT met");
    std::printf("stop -> end < 50 ms: %.2f ms: %s\n", r.StopToEndMs, r.StopToEndMs < 50 ? "met" : "NOT met");
    std::printf("lines/s >= QProcess: %.0f vs %.0f: %s\n", r.LinesPerSecond, q.LinesPerSecond,
                r.LinesPerSecond >= q.LinesPerSecond ? "met" : "NOT met");
    std::printf("ratio CPU per line TProcessRunner/QProcess: %.2f\n",
                q.CpuNsPerLine > 0 ? r.CpuNsPerLine / q.CpuNsPerLine : 0.0);
    return 0;
}
