// Compares TProcessRunner with QProcess and with a plain read loop on the same
// workloads: a child writing 50 MB of 80-byte lines, 300 runs of `true`, and
// the time from Stop to the end notification for a child that ignores its input.
// Run by hand: ./build/bench/bench_process_runner [megabytes [runner]]
// ("runner" measures only the runner's throughput, for a profiler).
#include "platform/ChildProcess.h"
#include "platform/ExecutableFolder.h"
#include "platform/Pipe.h"
#include "process/ProcessRunner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int LineBytes = 80;
constexpr int TrueRuns = 300;
constexpr int StopRounds = 20;

// The child of the throughput workload: this program started again.
int WriteLines(long ACount)
{
    std::string block;
    for (long i = 0; i < ACount; ++i) {
        char line[LineBytes + 1];
        std::snprintf(line, sizeof line, "%08ld %070ld\n", i % 100000000, 0L);
        block.append(line, LineBytes);
        if (block.size() >= 65536 || i + 1 == ACount) {
            for (size_t done = 0; done < block.size();) {
                const ssize_t n = write(1, block.data() + done, block.size() - done);
                if (n < 0 && errno != EINTR)
                    return 1;
                done += n > 0 ? size_t(n) : 0;
            }
            block.clear();
        }
    }
    return 0;
}

struct TThroughput
{
    long Lines = 0;
    long Bytes = 0;
    double Seconds = 0;
};

QString WriterCommand(long ALines)
{
    return QLatin1Char('"') + Platform::ExecutablePath() + QStringLiteral("\" --write-lines %1").arg(ALines);
}

// One line handler for all three, so each pays the same for a line it delivers.
void CountLine(TThroughput &AResult, const QString &ALine)
{
    ++AResult.Lines;
    AResult.Bytes += ALine.size() + 1;
}

TThroughput RunnerThroughput(long ALines)
{
    TThroughput result;
    TProcessRunner runner;
    QEventLoop loop;
    runner.SetOnNewLine([&](QObject *, const QString &ALine, TOutputType AType) {
        if (AType == otEntireLine)
            CountLine(result, ALine);
    });
    runner.SetOnTerminated([&](QObject *) { loop.quit(); });
    runner.SetCommandLine(WriterCommand(ALines));
    QElapsedTimer clock;
    clock.start();
    runner.Execute();
    loop.exec();
    result.Seconds = clock.nsecsElapsed() / 1e9;
    return result;
}

TThroughput QProcessThroughput(long ALines)
{
    TThroughput result;
    QProcess process;
    QEventLoop loop;
    process.setProcessChannelMode(QProcess::MergedChannels);
    QObject::connect(&process, &QProcess::readyRead, [&] {
        while (process.canReadLine())
            CountLine(result, QString::fromLocal8Bit(process.readLine().chopped(1)));
    });
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    process.start(Platform::ExecutablePath(), {QStringLiteral("--write-lines"), QString::number(ALines)});
    loop.exec();
    result.Seconds = clock.nsecsElapsed() / 1e9;
    return result;
}

TThroughput RawThroughput(long ALines)
{
    TThroughput result;
    QElapsedTimer clock;
    clock.start();
    Platform::TPipe out;
    out.Create();
    Platform::TChildOptions options;
    options.StdOut = options.StdErr = out.WriteEnd();
    Platform::TChildProcess child;
    child.Start(WriterCommand(ALines), options);
    out.CloseWrite();
    std::vector<char> buffer(65536);
    QByteArray partial;
    for (;;) {
        const ssize_t n = read(out.ReadEnd(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        partial.append(buffer.data(), n);
        qsizetype start = 0;
        for (qsizetype end; (end = partial.indexOf('\n', start)) >= 0; start = end + 1)
            CountLine(result, QString::fromLocal8Bit(partial.constData() + start, end - start));
        partial.remove(0, start);
    }
    child.WaitForEnd(-1);
    result.Seconds = clock.nsecsElapsed() / 1e9;
    return result;
}

double RunnerRunsPerSecond()
{
    TProcessRunner runner;
    QEventLoop loop;
    int runs = 0;
    runner.SetOnTerminated([&](QObject *) {
        if (++runs < TrueRuns)
            runner.Execute();
        else
            loop.quit();
    });
    runner.SetCommandLine(QStringLiteral("true"));
    QElapsedTimer clock;
    clock.start();
    runner.Execute();
    loop.exec();
    return TrueRuns / (clock.nsecsElapsed() / 1e9);
}

double QProcessRunsPerSecond()
{
    QProcess process;
    QEventLoop loop;
    int runs = 0;
    QObject::connect(&process, &QProcess::finished, [&] {
        if (++runs < TrueRuns)
            process.start(QStringLiteral("true"), {});
        else
            loop.quit();
    });
    QElapsedTimer clock;
    clock.start();
    process.start(QStringLiteral("true"), {});
    loop.exec();
    return TrueRuns / (clock.nsecsElapsed() / 1e9);
}

double RawRunsPerSecond()
{
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < TrueRuns; ++i) {
        Platform::TChildProcess child;
        child.Start(QStringLiteral("true"), {});
        child.WaitForEnd(-1);
    }
    return TrueRuns / (clock.nsecsElapsed() / 1e9);
}

struct TLatency
{
    double MedianMs = 0;
    double MaxMs = 0;
};

TLatency Summarize(std::vector<double> AMs)
{
    std::sort(AMs.begin(), AMs.end());
    return {AMs[AMs.size() / 2], AMs.back()};
}

TLatency RunnerStopLatency()
{
    std::vector<double> ms;
    TProcessRunner runner;
    QEventLoop loop;
    QElapsedTimer clock;
    runner.SetOnTerminated([&](QObject *) {
        ms.push_back(clock.nsecsElapsed() / 1e6);
        loop.quit();
    });
    runner.SetCommandLine(QStringLiteral("sleep 1000"));
    qint64 previousPid = 0;
    for (int i = 0; i < StopRounds; ++i) {
        runner.Execute();
        // Stop once the child is there, as a user would.
        while (runner.ProcessInformation().dwProcessId == previousPid)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        previousPid = runner.ProcessInformation().dwProcessId;
        clock.start();
        runner.Stop();
        loop.exec();
    }
    return Summarize(ms);
}

TLatency QProcessStopLatency()
{
    std::vector<double> ms;
    QProcess process;
    QEventLoop loop;
    QElapsedTimer clock;
    QObject::connect(&process, &QProcess::finished, [&] {
        ms.push_back(clock.nsecsElapsed() / 1e6);
        loop.quit();
    });
    for (int i = 0; i < StopRounds; ++i) {
        process.start(QStringLiteral("sleep"), {QStringLiteral("1000")});
        process.waitForStarted();
        clock.start();
        process.kill();
        loop.exec();
    }
    return Summarize(ms);
}

TLatency RawStopLatency()
{
    std::vector<double> ms;
    for (int i = 0; i < StopRounds; ++i) {
        Platform::TChildProcess child;
        child.Start(QStringLiteral("sleep 1000"), {});
        QElapsedTimer clock;
        clock.start();
        child.Kill();
        child.WaitForEnd(-1);
        ms.push_back(clock.nsecsElapsed() / 1e6);
    }
    return Summarize(ms);
}

void PrintThroughput(const char *AName, const TThroughput &AResult)
{
    std::printf("%-16s %12.0f %10.1f %10ld %8.2f\n", AName, AResult.Lines / AResult.Seconds,
                AResult.Bytes / AResult.Seconds / 1e6, AResult.Lines, AResult.Seconds);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--write-lines") == 0)
        return WriteLines(std::atol(argv[2]));
    QCoreApplication app(argc, argv);
    const long megabytes = argc > 1 ? std::atol(argv[1]) : 50;
    const long lines = megabytes * 1000 * 1000 / LineBytes;

    std::printf("Workload 1: %ld MB of %d-byte lines to the line handler\n", megabytes, LineBytes);
    std::printf("%-16s %12s %10s %10s %8s\n", "", "lines/s", "MB/s", "lines", "seconds");
    const TThroughput runner = RunnerThroughput(lines);
    if (argc > 2 && std::strcmp(argv[2], "runner") == 0) {
        PrintThroughput("TProcessRunner", runner);
        return 0;
    }
    const TThroughput qprocess = QProcessThroughput(lines);
    const TThroughput raw = RawThroughput(lines);
    PrintThroughput("TProcessRunner", runner);
    PrintThroughput("QProcess", qprocess);
    PrintThroughput("raw pipe", raw);

    std::printf("\nWorkload 2: %d runs of true\n", TrueRuns);
    std::printf("%-16s %12.0f runs/s\n", "TProcessRunner", RunnerRunsPerSecond());
    std::printf("%-16s %12.0f runs/s\n", "QProcess", QProcessRunsPerSecond());
    std::printf("%-16s %12.0f runs/s\n", "raw spawn", RawRunsPerSecond());

    std::printf("\nWorkload 3: stop a child that ignores its input, until the end is reported (%d rounds)\n",
                StopRounds);
    for (const auto &[name, latency] :
         {std::pair{"TProcessRunner", RunnerStopLatency()}, std::pair{"QProcess", QProcessStopLatency()},
          std::pair{"raw kill", RawStopLatency()}})
        std::printf("%-16s median %7.2f ms   max %7.2f ms\n", name, latency.MedianMs, latency.MaxMs);

    std::printf("\nratio lines/s TProcessRunner/QProcess: %.2f\n",
                (runner.Lines / runner.Seconds) / (qprocess.Lines / qprocess.Seconds));
    return 0;
}
