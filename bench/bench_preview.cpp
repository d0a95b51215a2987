// Time to the first sound: the streamed preview of every effect against Play,
// which computes the whole result first. Both against a private PulseAudio
// server whose speakers are recorded; "first sound" is the first non-silent
// sample that reaches them. Also counts the preview's underruns.
//
//   bench_preview [SECONDS_OF_INPUT (default 180)] [--whole EFFECT]

#include "audio/PreviewPlayer.h"
#include "effects/EffectPresets.h"
#include "platform/CommandLine.h"
#include "support/PulseServer.h"
#include "support/SoundAnalysis.h"
#include "support/SoundInputs.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <functional>

namespace {

bool Await(const std::function<bool()> &ACondition, int AMs)
{
    const QDeadlineTimer deadline(AMs);
    while (!ACondition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return true;
}

// Speech of about ASeconds: a spoken paragraph looped.
QString MakeInput(const QTemporaryDir &AFolder, int ASeconds)
{
    const QString piece = AFolder.filePath(QStringLiteral("piece.wav"));
    const QString input = AFolder.filePath(QStringLiteral("speech.wav"));
    SoundAnalysis::MakeSpeech(piece, QStringLiteral("Trying effects is what people do most. This is a long test "
                                                    "recording, spoken again and again, to hear each effect."));
    SoundInputs::Run(QStringLiteral("ffmpeg"), {QStringLiteral("-v"), QStringLiteral("error"),
                                                QStringLiteral("-stream_loop"), QStringLiteral("-1"),
                                                QStringLiteral("-i"), piece, QStringLiteral("-t"),
                                                QString::number(ASeconds), input});
    return input;
}

// Play's time to its first sound is at least the time ffmpeg takes for the whole file.
qint64 PlayRunMs(const QTemporaryDir &AFolder, const QString &AInput, const QString &AEffect)
{
    QStringList command = Platform::SplitCommandLine(BuildEffectCommand(AInput, AEffect, 10, 2));
    const QString result = AFolder.filePath(QStringLiteral("result.wav"));
    QFile::remove(result);
    command.last() = result;
    QElapsedTimer timer;
    timer.start();
    SoundInputs::Run(command.takeFirst(), command);
    return timer.elapsed();
}

struct TPreviewFigures
{
    qint64 FirstSoundMs = -1;
    int Underruns = 0;
};

TPreviewFigures Preview(TPulseServer &AServer, const QString &AInput, const QString &AEffect, int AListenMs)
{
    TPreviewPlayer player;
    AServer.StartRecording();
    Await([&] { return AServer.RecordingStartMs().has_value(); }, 5000);
    bool finished = false;
    QObject::connect(&player, &TPreviewPlayer::Finished, [&] { finished = true; });
    const int64_t pressedAt = TPulseServer::NowMs();
    player.Start(AInput, {AEffect});
    TPreviewFigures figures;
    if (Await([&] { return SoundAnalysis::FirstLoudSample(AServer.Recorded(), 100).has_value(); }, 60000)) {
        const size_t first = *SoundAnalysis::FirstLoudSample(AServer.Recorded(), 100);
        figures.FirstSoundMs =
            *AServer.RecordingStartMs() + int64_t(first) * 1000 / TPulseServer::Rate - pressedAt;
    }
    Await([&] { return finished; }, AListenMs);
    figures.Underruns = player.Underruns();
    player.Stop();
    AServer.StopRecording();
    return figures;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const int seconds = arguments.value(0).toInt() > 0 ? arguments.value(0).toInt() : 180;
    const int wholeAt = int(arguments.indexOf(QStringLiteral("--whole")));
    const QString whole = wholeAt >= 0 ? arguments.value(wholeAt + 1) : QString();

    TPulseServer server;
    if (!server.IsRunning()) {
        std::fprintf(stderr, "no private sound server: %s\n", qPrintable(server.Error()));
        return 1;
    }
    QTemporaryDir folder;
    const QString input = MakeInput(folder, seconds);
    std::printf("input: %d s of speech\n", seconds);
    std::printf("%-20s %14s %14s %10s\n", "effect", "preview ms", "play >= ms", "underruns");
    for (const TEffectPreset &preset : EffectPresets()) {
        const QString effect = QString::fromUtf8(preset.Item);
        if (!whole.isEmpty() && effect.compare(whole, Qt::CaseInsensitive) != 0)
            continue;
        // Underruns over the first 5 s of each, or over the whole input for --whole.
        const TPreviewFigures figures = Preview(server, input, effect, whole.isEmpty() ? 5000 : seconds * 2000);
        const qint64 playMs = PlayRunMs(folder, input, effect);
        std::printf("%-20s %14lld %14lld %10d\n", qPrintable(effect), static_cast<long long>(figures.FirstSoundMs),
                    static_cast<long long>(playMs), figures.Underruns);
        std::fflush(stdout);
    }
    return 0;
}
