#include "audio/PreviewPlayer.h"

#include "audio/SoundServerError.h"
#include "effects/EffectPresets.h"
#include "effects/ExternalTool.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

#include <cstring>

namespace {

// ffmpeg computes up to this far ahead of what is heard.
constexpr qint64 AheadMs = 4000;
// What the sound server holds: small, so another effect is heard soon.
constexpr qint64 SinkBufferMs = 150;
// Sound starts once this much is there (or the input has ended) ...
constexpr qint64 StartMs = 60;
// ... and after running dry, once this much is, so a slow machine pauses
// now and then instead of stuttering all along.
constexpr qint64 RefillMs = 1000;
constexpr int FeedIntervalMs = 10;
// A local file gives its first samples within milliseconds; the limit only
// keeps a check from hanging on a file system that never answers.
constexpr int CheckTimeoutMs = 10000;
constexpr int CheckPollMs = 5;

QString MsAsSeconds(qint64 AMs)
{
    return QString::number(double(AMs) / 1000, 'f', 3);
}

// Why ffmpeg could not be started, from the error number.
QString StartErrorText(int AError)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(ExternalToolProgram), QString::fromLocal8Bit(strerror(AError)));
}

QStringList PreviewArguments(const QString &AInput, const TPreviewEffect &AEffect, qint64 AStartMs,
                             const TPcmFormat &AFormat)
{
    QStringList arguments{QLatin1String(ExternalToolProgram), QStringLiteral("-nostdin"),
                          QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error")};
    if (AStartMs > 0)
        arguments << QStringLiteral("-ss") << MsAsSeconds(AStartMs);
    // The input is named absolutely, so "pipe:x" or "a:b.wav" stays a file name.
    arguments << QStringLiteral("-i") << QFileInfo(AInput).absoluteFilePath();
    if (!AEffect.Item.isEmpty())
        arguments << EffectFilterArguments(AEffect.Item, AEffect.RatePosition, AEffect.TempoPosition);
    // Small packets: the first sound should not wait for a large write.
    arguments << QStringLiteral("-flush_packets") << QStringLiteral("1");
    arguments << AFormat.FfmpegArguments() << QStringLiteral("pipe:1");
    return arguments;
}

} // namespace

TPreviewPlayer::TPreviewPlayer(QObject *AParent)
    : QObject(AParent), FSource(Format.BytesForMs(AheadMs))
{
    FFeedTimer.setTimerType(Qt::PreciseTimer);
    FFeedTimer.setInterval(FeedIntervalMs);
    connect(&FFeedTimer, &QTimer::timeout, this, &TPreviewPlayer::Feed);
}

TPreviewPlayer::~TPreviewPlayer()
{
    Stop();
}

QString TPreviewPlayer::WhyNotPlayable(const QString &AInput)
{
    if (!QFileInfo(AInput).isFile())
        return QStringLiteral("No such file");
    TPcmPipeSource source(Format.BytesForMs(100));
    if (int error = source.Start(PreviewArguments(AInput, {}, 0, Format)))
        return StartErrorText(error);
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (source.Available() > 0 || source.Ended())
            loop.quit();
    });
    poll.start(CheckPollMs);
    QTimer::singleShot(CheckTimeoutMs, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (source.Available() > 0 || (source.Ended() && source.ExitCode() == 0))
        return {};
    if (!source.Ended())
        return QStringLiteral("%1 gave no sound in time").arg(QLatin1String(ExternalToolProgram));
    const QString why = source.ErrorText();
    return why.isEmpty() ? QStringLiteral("not a playable sound file") : why;
}

void TPreviewPlayer::Start(const QString &AInput, const TPreviewEffect &AEffect)
{
    Stop();
    FInput = AInput;
    FEffect = AEffect;
    FPlaying = true;
    FSoundStarted = false;
    FUnderruns = 0;
    if (!QFileInfo(AInput).isFile()) {
        Fail(QStringLiteral("%1: No such file").arg(AInput));
        return;
    }
    if (StartStream(0))
        FFeedTimer.start();
}

void TPreviewPlayer::SwitchEffect(const TPreviewEffect &AEffect)
{
    if (!FPlaying) {
        FEffect = AEffect;
        return;
    }
    const qint64 position = PositionMs();
    FEffect = AEffect;
    StopStream();
    StartStream(position);
}

void TPreviewPlayer::Stop()
{
    ++FRun;
    FFeedTimer.stop();
    StopStream();
    FPlaying = false;
}

qint64 TPreviewPlayer::PositionMs() const
{
    const qint64 heardBytes = FOutput ? FOutput->HeardBytes() : FWrittenBytes;
    // The output of "Custom" runs faster or slower than the input.
    const double factor = FEffect.Item.isEmpty()
                              ? 1
                              : EffectLengthFactor(FEffect.Item, FEffect.RatePosition, FEffect.TempoPosition);
    return FStreamStartMs + qint64(double(Format.MsForBytes(heardBytes)) / factor);
}

bool TPreviewPlayer::StartStream(qint64 AInputMs)
{
    FStreamStartMs = AInputMs;
    FWrittenBytes = 0;
    FPending.clear();
    FRefilling = true;
    if (int error = FSource.Start(PreviewArguments(FInput, FEffect, AInputMs, Format))) {
        Fail(StartErrorText(error));
        return false;
    }
    return OpenOutput();
}

void TPreviewPlayer::StopStream()
{
    // Closing the output's stream drops what it still held: a switch is heard at once.
    FOutput.reset();
    FSource.Stop();
    FPending.clear();
}

bool TPreviewPlayer::OpenOutput()
{
    try {
        FOutput = std::make_unique<TPulsePlaybackStream>(Format, Format.BytesForMs(SinkBufferMs),
                                                         Format.BytesForMs(StartMs));
    } catch (const ESoundServerError &error) {
        Fail(QString::fromUtf8(error.what()));
        return false;
    }
    return true;
}

void TPreviewPlayer::Feed()
{
    if (!FPlaying || !FOutput)
        return;
    if (const QString why = FOutput->Failure(); !why.isEmpty()) {
        Fail(why);
        return;
    }
    const bool sourceEnded = FSource.Ended();
    const qint64 buffered = FPending.size() + FSource.Available();
    if (FRefilling) {
        const qint64 wanted = Format.BytesForMs(FSoundStarted && FWrittenBytes > 0 ? RefillMs : StartMs);
        if (buffered < wanted && !sourceEnded)
            return;
        FRefilling = false;
    }
    WriteToOutput();
    if (sourceEnded && FPending.isEmpty() && FSource.Available() == 0) {
        CheckEnd();
        return;
    }
    if (FOutput->TakeUnderflow() && FPending.isEmpty() && FSource.Available() == 0) {
        ++FUnderruns;
        FRefilling = true;
    }
}

void TPreviewPlayer::WriteToOutput()
{
    const qint64 room = FOutput->WritableBytes();
    if (FPending.size() < room)
        FPending += FSource.Take(room - FPending.size());
    const qint64 written = qMin<qint64>(room, FPending.size());
    if (written <= 0)
        return;
    FOutput->Write(FPending.constData(), written);
    FPending.remove(0, written);
    FWrittenBytes += written;
    if (!FSoundStarted) {
        FSoundStarted = true;
        emit FirstSound();
    }
}

void TPreviewPlayer::CheckEnd()
{
    if (FSource.ExitCode() != 0 && FWrittenBytes == 0 && !FSoundStarted) {
        const QString why = FSource.ErrorText();
        Fail(why.isEmpty() ? QStringLiteral("%1 failed.").arg(QLatin1String(ExternalToolProgram)) : why);
        return;
    }
    // The end is heard once the sound server has played everything.
    FOutput->Drain();
    if (!FOutput->Drained())
        return;
    Stop();
    emit Finished();
}

void TPreviewPlayer::Fail(const QString &AReason)
{
    Stop();
    // Never from within Start, so the caller's state is settled first; a
    // start or stop before it is served makes it stale.
    const quint64 run = FRun;
    QMetaObject::invokeMethod(
        this,
        [this, run, AReason] {
            if (run == FRun)
                emit Failed(AReason);
        },
        Qt::QueuedConnection);
}
