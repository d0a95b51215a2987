// Live voice: the delay between a click fed into the microphone and the same
// click heard on "Tonara Microphone", per live effect, beside the sound server's
// own loopback (the floor), with the CPU the live chain takes. And a long run of
// one effect that looks for dropouts. All against a private PulseAudio server.
//
//   bench_live [--seconds S (default 10)] [--effect NAME]
//   bench_live --minutes N [--effect NAME (default Robot) | --floor LATENCY_MS]
//
// Live voice runs as the real `tonara --live --to mic`, a child of its own: the
// path measured is the one users run, and its CPU (/proc/PID/stat) is the live
// chain's alone, not the feeding and recording done here.

#include "audio/LiveEffects.h"
#include "audio/VirtualMicrophone.h"
#include "effects/EffectPresets.h"
#include "support/PulseServer.h"
#include "support/SoundAnalysis.h"
#include "support/WaitFor.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <numbers>
#include <unistd.h>

namespace {

constexpr int Rate = TPulseServer::Rate;
constexpr int ClickHeight = 20000;
// A click is a burst of noise 5 ms long, the same each time: an effect that
// works on the spectrum (Robot, Whisper) keeps next to nothing of a single sample.
constexpr size_t ClickSamples = Rate / 200;
// What a click must still reach, against the median click, to count as heard.
constexpr double HeardShare = 0.2;
// Where the direct sound is looked for around the common delay.
constexpr int SearchMs = 40;
constexpr char FloorSink[] = "tonara_bench_floor";

// Clicks at irregular distances of 500 to 800 ms, each at the start
// of a feeding slice, so its time is known exactly; a quiet tone under them
// (ATone > 0) keeps the stream busy, so that a dropout shows as a gap.
struct TClickTrain
{
    std::vector<int16_t> Samples;
    std::vector<size_t> Clicks;
};

TClickTrain MakeClickTrain(double ASeconds, int ATone)
{
    TClickTrain train;
    train.Samples.resize(size_t(ASeconds * Rate));
    for (size_t i = 0; ATone > 0 && i < train.Samples.size(); ++i)
        train.Samples[i] = int16_t(ATone * std::sin(2 * std::numbers::pi * 300 * double(i) / Rate));
    uint32_t state = 12345;
    const auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return state >> 16;
    };
    std::vector<int16_t> click(ClickSamples);
    for (int16_t &sample : click)
        sample = int16_t(int(next() % (2 * ClickHeight + 1)) - ClickHeight);
    for (size_t at = size_t(Rate) / 2; at + Rate < train.Samples.size();) {
        std::copy(click.begin(), click.end(), train.Samples.begin() + long(at));
        train.Clicks.push_back(at);
        at += size_t(50 + next() % 31) * TPulseServer::SliceSamples;
    }
    return train;
}

// What one pass of the click train through a path came to.
struct TDelays
{
    std::vector<double> Ms; // one per heard click
    size_t Missed = 0;
    double LongestGapMs = 0;
    size_t Gaps = 0;        // quiet stretches of 20 ms or more while the tone ran

    double Median() const { return Quantile(0.5); }
    double Max() const { return Ms.empty() ? NAN : *std::max_element(Ms.begin(), Ms.end()); }
    double Quantile(double AQ) const
    {
        if (Ms.empty())
            return NAN;
        std::vector<double> sorted = Ms;
        std::sort(sorted.begin(), sorted.end());
        return sorted[size_t(AQ * double(sorted.size() - 1))];
    }
};

// The loudness of the recording in 1 ms steps (the highest magnitude in each).
std::vector<int> Envelope(const std::vector<int16_t> &AHeard)
{
    constexpr size_t Step = Rate / 1000;
    std::vector<int> envelope(AHeard.size() / Step);
    for (size_t b = 0; b < envelope.size(); ++b)
        for (size_t i = b * Step; i < (b + 1) * Step; ++i)
            envelope[b] = std::max(envelope[b], std::abs(int(AHeard[i])));
    return envelope;
}

// The delay common to all clicks: the cross-correlation of the click train with
// the recording's envelope over 0 to 2 s. An effect that repeats the sound (echo,
// chorus) correlates at later delays too; the direct sound is the earliest delay
// that reaches half of the best one.
// An effect may also move the sound earlier than it was (a pitch shift's windows),
// so delays from -100 ms on are looked at.
long CommonDelayMs(const std::vector<int> &AEnvelope, const std::vector<long> &AExpectedMs)
{
    constexpr long Earliest = -100;
    std::vector<double> correlation(2100);
    for (size_t lag = 0; lag < correlation.size(); ++lag)
        for (const long at : AExpectedMs)
            if (at + Earliest + long(lag) >= 0 && at + Earliest + long(lag) < long(AEnvelope.size()))
                correlation[lag] += AEnvelope[size_t(at + Earliest + long(lag))];
    const double best = *std::max_element(correlation.begin(), correlation.end());
    for (size_t lag = 0; lag < correlation.size(); ++lag)
        if (correlation[lag] >= best / 2 && (lag + 1 == correlation.size() || correlation[lag] >= correlation[lag + 1]))
            return long(lag) + Earliest;
    return 0;
}

// Quiet stretches (5 ms windows far below the tone) between the first and last click.
void FindGaps(const std::vector<int16_t> &AHeard, size_t ABegin, size_t AEnd, TDelays &ADelays)
{
    constexpr size_t Window = Rate / 200;
    size_t quiet = 0;
    for (size_t at = ABegin; at + Window <= std::min(AEnd, AHeard.size()); at += Window) {
        if (SoundAnalysis::Rms(AHeard, at, at + Window) < 100) {
            quiet += Window;
            continue;
        }
        if (quiet * 1000 >= size_t(Rate) * 20)
            ++ADelays.Gaps;
        ADelays.LongestGapMs = std::max(ADelays.LongestGapMs, double(quiet) * 1000 / Rate);
        quiet = 0;
    }
}

// Each click's delay: the loudest sample near the common delay, in the recording's
// time, from the moment the click was written to the microphone.
TDelays Measure(const std::vector<int16_t> &AHeard, int64_t ARecordingStartMs, int64_t AFeedStartMs,
                const TClickTrain &ATrain, bool ALookForGaps)
{
    TDelays delays;
    const auto expectedSample = [&](size_t AClick) {
        return double(AFeedStartMs - ARecordingStartMs) * Rate / 1000 + double(ATrain.Clicks[AClick]);
    };
    std::vector<long> expectedMs;
    for (size_t k = 0; k < ATrain.Clicks.size(); ++k)
        expectedMs.push_back(std::lround(expectedSample(k) * 1000 / Rate));
    const long common = CommonDelayMs(Envelope(AHeard), expectedMs);
    std::vector<std::pair<int, double>> peaks; // height, delay in ms
    for (size_t k = 0; k < ATrain.Clicks.size(); ++k) {
        const double centre = expectedSample(k) + double(common) * Rate / 1000;
        const long from = std::max(0L, std::lround(centre - double(SearchMs) * Rate / 1000));
        const long to = std::min(long(AHeard.size()), std::lround(centre + double(SearchMs) * Rate / 1000));
        std::pair<int, double> peak{0, 0};
        for (long i = from; i < to; ++i)
            if (std::abs(int(AHeard[size_t(i)])) > peak.first)
                peak = {std::abs(int(AHeard[size_t(i)])), (double(i) - expectedSample(k)) * 1000 / Rate};
        peaks.push_back(peak);
    }
    std::vector<int> heights;
    for (const auto &peak : peaks)
        heights.push_back(peak.first);
    std::sort(heights.begin(), heights.end());
    const int typical = heights.empty() ? 0 : heights[heights.size() / 2];
    for (const auto &peak : peaks) {
        if (typical > 300 && peak.first >= HeardShare * typical)
            delays.Ms.push_back(peak.second);
        else
            ++delays.Missed;
    }
    if (ALookForGaps && !ATrain.Clicks.empty()) {
        const double offset = expectedSample(0) - double(ATrain.Clicks[0]) + double(common) * Rate / 1000;
        FindGaps(AHeard, size_t(std::max(0.0, offset + double(ATrain.Clicks.front()))),
                 size_t(std::max(0.0, offset + double(ATrain.Clicks.back()))), delays);
    }
    return delays;
}

// User plus system CPU time of a process so far, in ms.
double CpuMs(qint64 APid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(APid));
    if (!stat.open(QIODevice::ReadOnly))
        return NAN;
    const QByteArray text = stat.readAll();
    // The fields after the command name, which is in parentheses and may hold spaces.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return double(fields.value(11).toLongLong() + fields.value(12).toLongLong()) * 1000 / double(sysconf(_SC_CLK_TCK));
}

// Where the effect itself puts each click, run offline by ffmpeg on the same train:
// what the effect does to time, which live voice cannot take away.
double OwnShiftMs(const QString &AEffect, const TClickTrain &ATrain)
{
    return Measure(SoundAnalysis::Filtered(ATrain.Samples, EffectFilterArguments(AEffect, 10, 2)), 0, 0, ATrain, false)
        .Median();
}

struct TPass
{
    TDelays Delays;
    double CorePercent = NAN;
};

// Records ASource while the click train goes into the microphone; ACpuPid's CPU over the same time.
TPass Pass(TPulseServer &AServer, const QString &ASource, const TClickTrain &ATrain, qint64 ACpuPid,
           bool ALookForGaps)
{
    TPass pass;
    if (!AServer.StartRecording(ASource)) {
        std::fprintf(stderr, "nothing recorded from %s\n", qPrintable(ASource));
        return pass;
    }
    QTest::qWait(1000); // the streams settle
    const double cpuBefore = ACpuPid > 0 ? CpuMs(ACpuPid) : NAN;
    const int64_t wallBefore = TPulseServer::NowMs();
    AServer.FeedMicrophone(ATrain.Samples);
    WaitUntil([&] { return !AServer.MicrophoneBusy(); }, int(ATrain.Samples.size() * 3000 / Rate) + 60000);
    const int64_t feedStart = AServer.FeedStartMs().value_or(wallBefore);
    QTest::qWait(2500); // the last echo and the longest delay
    if (ACpuPid > 0)
        pass.CorePercent = (CpuMs(ACpuPid) - cpuBefore) * 100 / double(TPulseServer::NowMs() - wallBefore);
    const std::vector<int16_t> heard = AServer.StopRecording();
    pass.Delays = Measure(heard, AServer.RecordingStartMs().value_or(0), feedStart, ATrain, ALookForGaps);
    return pass;
}

// The sound server's own loopback from the microphone into a sink of its own.
TPass FloorPass(TPulseServer &AServer, const TClickTrain &ATrain, int ALatencyMs, bool ALookForGaps = false)
{
    QByteArray sink, loopback;
    AServer.Pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                   QStringLiteral("sink_name=") + QLatin1String(FloorSink)},
                  &sink);
    AServer.Pactl({QStringLiteral("load-module"), QStringLiteral("module-loopback"),
                   QStringLiteral("source=") + TPulseServer::MicrophoneName(),
                   QStringLiteral("sink=") + QLatin1String(FloorSink),
                   QStringLiteral("latency_msec=%1").arg(ALatencyMs)},
                  &loopback);
    const TPass pass = Pass(AServer, QLatin1String(FloorSink) + QStringLiteral(".monitor"), ATrain, 0, ALookForGaps);
    AServer.Pactl({QStringLiteral("unload-module"), QString::fromUtf8(loopback.trimmed())});
    AServer.Pactl({QStringLiteral("unload-module"), QString::fromUtf8(sink.trimmed())});
    return pass;
}

// `tonara --live --effect AEffect --to mic`, started and stopped around APass.
TPass LivePass(TPulseServer &AServer, const QString &AEffect, const TClickTrain &ATrain, bool ALookForGaps)
{
    QProcess tonara;
    tonara.start(QStringLiteral(TONARA_EXECUTABLE),
                 {QStringLiteral("--live"), QStringLiteral("--effect"), AEffect, QStringLiteral("--to"), QStringLiteral("mic")});
    if (!tonara.waitForReadyRead(30000)) {
        std::fprintf(stderr, "tonara --live did not start: %s\n", tonara.readAllStandardError().constData());
        return {};
    }
    const TPass pass = Pass(AServer, QLatin1String(TVirtualMicrophone::SourceName), ATrain, tonara.processId(), ALookForGaps);
    ::kill(pid_t(tonara.processId()), SIGINT);
    tonara.waitForFinished(20000);
    const QByteArray errors = tonara.readAllStandardError();
    if (!errors.isEmpty())
        std::fprintf(stderr, "%s: %s", qPrintable(AEffect), errors.constData());
    return pass;
}

void PrintRow(const char *AName, const TPass &APass, double AFloorMedian, double AOwnShift = NAN)
{
    const TDelays &d = APass.Delays;
    std::printf("%-20s", AName);
    if (d.Ms.empty())
        std::printf(" %10s %8s %8s %9s %7zu", "silent", "", "", "", d.Missed);
    else
        std::printf(" %10.1f %8.1f %8.1f %9.1f %7zu", d.Median(), d.Max(), AFloorMedian, d.Median() - AFloorMedian,
                    d.Missed);
    std::printf(" %6.1f %9.1f\n", APass.CorePercent, AOwnShift);
    std::fflush(stdout);
}

int EffectTable(TPulseServer &AServer, double ASeconds, const QString &AOnly)
{
    const TClickTrain train = MakeClickTrain(ASeconds, 0);
    std::printf("%zu clicks in %.0f s per pass; delays from the click written to the microphone to it recorded\n",
                train.Clicks.size(), ASeconds);
    std::printf("%-20s %10s %8s %8s %9s %7s %6s %9s\n", "path", "median ms", "max ms", "floor", "added ms", "missed",
                "CPU %", "own shift");
    const TPass direct = Pass(AServer, TPulseServer::MicrophoneName(), train, 0, false);
    PrintRow("(microphone itself)", direct, direct.Delays.Median());
    // The floor: the loopback at the lowest latency asked for that loses no click
    // (asked for too little, it drops sound).
    TPass floor;
    for (const int latency : {1, 10, 30}) {
        const TPass pass = FloorPass(AServer, train, latency);
        PrintRow(qPrintable(QStringLiteral("(loopback %1 ms)").arg(latency)), pass, pass.Delays.Median());
        if (floor.Delays.Ms.empty() || pass.Delays.Missed < floor.Delays.Missed
            || (pass.Delays.Missed == floor.Delays.Missed && pass.Delays.Median() < floor.Delays.Median()))
            floor = pass;
    }
    const double floorMedian = floor.Delays.Median();
    for (const QString &effect : LiveEffectItems()) {
        if (!AOnly.isEmpty() && effect.compare(AOnly, Qt::CaseInsensitive) != 0)
            continue;
        const TPass live = LivePass(AServer, effect, train, false);
        PrintRow(qPrintable(effect), live, floorMedian, OwnShiftMs(effect, train));
    }
    return 0;
}

// One effect (or, with AFloorMs > 0, the server's own loopback asked for that
// latency) for AMinutes, a quiet tone under the clicks: dropouts are quiet gaps.
int LongRun(TPulseServer &AServer, double AMinutes, const QString &AEffect, int AFloorMs)
{
    const TClickTrain train = MakeClickTrain(AMinutes * 60, 3000);
    std::printf("%s for %.1f min: %zu clicks over a 300 Hz tone\n",
                AFloorMs > 0 ? qPrintable(QStringLiteral("loopback %1 ms").arg(AFloorMs)) : qPrintable(AEffect), AMinutes,
                train.Clicks.size());
    std::fflush(stdout);
    const TPass pass = AFloorMs > 0 ? FloorPass(AServer, train, AFloorMs, true) : LivePass(AServer, AEffect, train, true);
    const TDelays &d = pass.Delays;
    std::printf("delay ms: median %.1f, 99th percentile %.1f, max %.1f; clicks missed: %zu of %zu\n", d.Median(),
                d.Quantile(0.99), d.Max(), d.Missed, train.Clicks.size());
    if (d.Ms.size() > 100) {
        const TDelays first{{d.Ms.begin(), d.Ms.begin() + 100}};
        const TDelays last{{d.Ms.end() - 100, d.Ms.end()}};
        std::printf("median delay of the first 100 clicks %.1f ms, of the last 100 %.1f ms\n", first.Median(),
                    last.Median());
    }
    std::printf("gaps of 20 ms or more: %zu, longest quiet stretch %.1f ms; CPU %.1f %% of a core\n", d.Gaps,
                d.LongestGapMs, pass.CorePercent);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const auto option = [&](const char *AName) {
        const int at = int(arguments.indexOf(QLatin1String(AName)));
        return at >= 0 ? arguments.value(at + 1) : QString();
    };
    TPulseServer server;
    if (!server.IsRunning()) {
        std::fprintf(stderr, "no private sound server: %s\n", qPrintable(server.Error()));
        return 1;
    }
    std::FILE *load = std::fopen("/proc/loadavg", "r");
    char loadText[64] = {};
    if (load && std::fgets(loadText, sizeof loadText, load))
        std::printf("load average at the start: %s", loadText);
    if (load)
        std::fclose(load);
    if (!option("--minutes").isEmpty())
        return LongRun(server, option("--minutes").toDouble(),
                       option("--effect").isEmpty() ? QStringLiteral("Robot") : option("--effect"),
                       option("--floor").toInt());
    const double seconds = option("--seconds").toDouble() > 0 ? option("--seconds").toDouble() : 10;
    return EffectTable(server, seconds, option("--effect"));
}
