#include "gui/MediaPlayer.h"

#include "audio/PreviewPlayer.h"

#include <QFileInfo>

namespace {

std::string Utf8(const QString &AText)
{
    return AText.toUtf8().toStdString();
}

} // namespace

TMediaPlayer::TMediaPlayer(QObject *AParent)
    : QObject(AParent)
    , FSound(new TPreviewPlayer(this))
{
    connect(FSound, &TPreviewPlayer::Finished, this, &TMediaPlayer::SoundFinished);
    connect(FSound, &TPreviewPlayer::Failed, this, &TMediaPlayer::SoundFailed);
}

TMediaPlayer::~TMediaPlayer()
{
    FPlaying = false;
    FSound->Stop();
}

QString TMediaPlayer::FileName() const
{
    return FFileName;
}

void TMediaPlayer::SetFileName(const QString &AValue)
{
    FFileName = AValue;
}

void TMediaPlayer::Open()
{
    Close();
    if (FFileName.isEmpty())
        throw EMediaPlayerError("No sound file name given");
    if (!QFileInfo(FFileName).isFile())
        throw EMediaPlayerError(Utf8(QStringLiteral("Sound file not found: %1").arg(FFileName)));
    const QString why = TPreviewPlayer::WhyNotPlayable(FFileName);
    if (!why.isEmpty())
        throw EMediaPlayerError(Utf8(QStringLiteral("Cannot open sound file %1: %2").arg(FFileName, why)));
    FOpen = true;
}

bool TMediaPlayer::IsOpen() const
{
    return FOpen;
}

void TMediaPlayer::Play()
{
    if (!FOpen)
        throw EMediaPlayerError("No sound file is open");
    Interrupt(TNotifyValue::Superseded);
    FPlaying = true;
    // No effect: the file as it is. A failure to start comes through SoundFailed.
    FSound->Start(FFileName, {});
}

void TMediaPlayer::Stop()
{
    Interrupt(TNotifyValue::Aborted);
}

bool TMediaPlayer::IsPlaying() const
{
    return FPlaying;
}

void TMediaPlayer::Close() noexcept
{
    Interrupt(TNotifyValue::Aborted);
    FOpen = false;
}

void TMediaPlayer::Interrupt(TNotifyValue AValue)
{
    if (!FPlaying)
        return;
    // Stopping kills and reaps ffmpeg: the file is free when this returns.
    FSound->Stop();
    EndPlay(AValue);
}

void TMediaPlayer::EndPlay(TNotifyValue AValue)
{
    FPlaying = false;
    // Posted, so a handler never runs inside Play, Stop or Close.
    QMetaObject::invokeMethod(
        this, [this, AValue] { emit Notify(AValue); }, Qt::QueuedConnection);
}

void TMediaPlayer::SoundFinished()
{
    if (FPlaying)
        EndPlay(TNotifyValue::Successful);
}

void TMediaPlayer::SoundFailed()
{
    if (FPlaying)
        EndPlay(TNotifyValue::Failure);
}
