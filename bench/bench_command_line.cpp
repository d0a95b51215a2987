// Compares one effect run through `tonara --effect` with the same ffmpeg
// command run directly, on the same generated 60-second input, the two
// alternating round by round. The last line is the ratio of the medians.
// Run by hand: ./build/bench/bench_command_line [effect] [rounds]
#include "platform/CommandLine.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int InputSeconds = 60;

// User + system time of every child ended and waited for so far (their own children included), in ms.
double ChildrenCpuMs()
{
    rusage usage = {};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto ms = [](const timeval &AValue) { return AValue.tv_sec * 1e3 + AValue.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

struct TTimes
{
    double Wall = -1; // ms; -1 when the run did not end with exit code 0
    double Cpu = 0;   // ms of the process and its children
};

TTimes TimedRun(const QProcessEnvironment &AEnvironment, const QString &AProgram, const QStringList &AArguments)
{
    QProcess process;
    process.setProcessEnvironment(AEnvironment);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    const double cpuBefore = ChildrenCpuMs();
    QElapsedTimer timer;
    timer.start();
    process.start(AProgram, AArguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return {double(timer.nsecsElapsed()) / 1e6, ChildrenCpuMs() - cpuBefore};
}

double Median(std::vector<double> AValues)
{
    std::sort(AValues.begin(), AValues.end());
    const size_t n = AValues.size();
    return n % 2 ? AValues[n / 2] : (AValues[n / 2 - 1] + AValues[n / 2]) / 2;
}

QString CommandOutput(const QProcessEnvironment &AEnvironment, const QString &AProgram, const QStringList &AArguments)
{
    QProcess process;
    process.setProcessEnvironment(AEnvironment);
    process.start(AProgram, AArguments);
    process.waitForFinished(-1);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString effect = arguments.value(1, QStringLiteral("Robot"));
    const int rounds = arguments.value(2, QStringLiteral("5")).toInt();
    const QString tonara = QStringLiteral(TONARA_EXECUTABLE);

    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    const QString input = home.filePath(QStringLiteral("input 60 s.wav"));
    if (TimedRun(environment, QStringLiteral("ffmpeg"),
                 {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                  QStringLiteral("sine=frequency=220:duration=%1").arg(InputSeconds), QStringLiteral("-ac"),
                  QStringLiteral("2"), QStringLiteral("-ar"), QStringLiteral("44100"), input})
            .Wall
        < 0) {
        std::fprintf(stderr, "cannot generate the input with ffmpeg\n");
        return 1;
    }

    // The very command tonara builds, run directly: same tool, same arguments, same output file.
    const QString command = CommandOutput(
        environment, tonara, {QStringLiteral("--effect"), effect, QStringLiteral("--print-command"), input});
    QStringList direct = Platform::SplitCommandLine(command);
    if (direct.size() < 2) {
        std::fprintf(stderr, "tonara printed no command: %s\n", qPrintable(command));
        return 1;
    }
    const QString tool = direct.takeFirst();
    const QString workFile = direct.last();
    std::printf("effect %s on a %d s WAV, %d rounds, alternating\ncommand: %s\n", qPrintable(effect), InputSeconds,
                rounds, qPrintable(command));

    std::vector<double> viaTonara, viaTool, cpuTonara, cpuTool;
    for (int round = 0; round < rounds; ++round) {
        QFile::remove(workFile); // the command has no -y; tonara removes it itself
        const TTimes t = TimedRun(environment, tonara, {QStringLiteral("--effect"), effect, input});
        QFile::remove(workFile);
        const TTimes d = TimedRun(environment, tool, direct);
        if (t.Wall < 0 || d.Wall < 0) {
            std::fprintf(stderr, "round %d: a run failed\n", round + 1);
            return 1;
        }
        viaTonara.push_back(t.Wall);
        viaTool.push_back(d.Wall);
        cpuTonara.push_back(t.Cpu);
        cpuTool.push_back(d.Cpu);
        std::printf("round %d: tonara %.1f ms (cpu %.1f), ffmpeg %.1f ms (cpu %.1f)\n", round + 1, t.Wall, t.Cpu,
                    d.Wall, d.Cpu);
        std::fflush(stdout);
    }
    const double tonaraMedian = Median(viaTonara), toolMedian = Median(viaTool);
    std::printf("median: tonara %.1f ms, ffmpeg %.1f ms\n", tonaraMedian, toolMedian);
    std::printf("median cpu: tonara %.1f ms, ffmpeg %.1f ms, ratio %.3f\n", Median(cpuTonara), Median(cpuTool),
                Median(cpuTonara) / Median(cpuTool));
    std::printf("ratio tonara/ffmpeg (median wall time): %.3f\n", tonaraMedian / toolMedian);
    return 0;
}
