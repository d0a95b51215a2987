#include "app/MediaPlayer.h"

#include <QAudioOutput>
#include <QEventLoop>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QTimer>
#include <QUrl>

namespace {

// Loading a local file takes milliseconds; the limit only keeps Open from
// hanging when the audio system never answers.
constexpr int OpenTimeoutMs = 10000;

// A play whose position has not moved for this long has stalled in the audio
// system; it is ended rather than left pending, since the caller waits for its
// notification. Generous, so a sound server's start-up latency never counts.
constexpr int StallCheckMs = 500;
constexpr qint64 StallLimitMs = 5000;
// A stalled play this close to the end has in fact played everything.
constexpr qint64 EndToleranceMs = 250;

std::string Utf8(const QString &AText)
{
    return AText.toUtf8().toStdString();
}

} // namespace

TMediaPlayer::TMediaPlayer(QObject *AParent)
    : QObject(AParent)
    , FStallTimer(new QTimer(this))
{
    FStallTimer->setInterval(StallCheckMs);
    connect(FStallTimer, &QTimer::timeout, this, &TMediaPlayer::CheckForStall);
}

TMediaPlayer::~TMediaPlayer()
{
    FPlaying = false;
    Release();
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
    const QFileInfo info(FFileName);
    if (!info.isFile())
        throw EMediaPlayerError(Utf8(QStringLiteral("Sound file not found: %1").arg(FFileName)));

    CreatePlayer();
    FPlayer->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
    WaitUntilLoaded();
    const bool loaded = FPlayer->error() == QMediaPlayer::NoError
                        && (FPlayer->mediaStatus() == QMediaPlayer::LoadedMedia
                            || FPlayer->mediaStatus() == QMediaPlayer::BufferedMedia);
    if (!loaded) {
        const QString why = LoadFailureText();
        Release();
        throw EMediaPlayerError(Utf8(QStringLiteral("Cannot open sound file %1: %2").arg(FFileName, why)));
    }
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
    // Each play gets a fresh pipeline: one rewound after an end or a stop now
    // and then stalls midway through its next play.
    if (FPlayerUsed)
        ReloadPlayer();
    FPlayerUsed = true;
    FPlaying = true;
    FLastPosition = -1;
    FStallTimer->start();
    // Playing may begin while a reloaded file is still loading. An empty sound
    // may end within this call.
    FPlayer->play();
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
    Release();
}

void TMediaPlayer::CreatePlayer()
{
    // A fresh player per file: errors and late messages of an earlier file
    // can never be taken for this one's.
    FPlayer = new QMediaPlayer(this);
    FPlayerUsed = false;
    FPlayer->setAudioOutput(new QAudioOutput(FPlayer));
    connect(FPlayer, &QMediaPlayer::playbackStateChanged, this, &TMediaPlayer::PlayerStateChanged);
    connect(FPlayer, &QMediaPlayer::mediaStatusChanged, this, &TMediaPlayer::PlayerStatusChanged);
    connect(FPlayer, &QMediaPlayer::errorOccurred, this, &TMediaPlayer::PlayerErrorOccurred);
}

void TMediaPlayer::ReloadPlayer()
{
    const QUrl source = FPlayer->source();
    DeletePlayer();
    CreatePlayer();
    FPlayer->setSource(source);
}

void TMediaPlayer::WaitUntilLoaded()
{
    if (IsLoadSettled())
        return;
    QEventLoop loop;
    connect(FPlayer, &QMediaPlayer::mediaStatusChanged, &loop, [this, &loop] {
        if (IsLoadSettled())
            loop.quit();
    });
    connect(FPlayer, &QMediaPlayer::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(OpenTimeoutMs, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

bool TMediaPlayer::IsLoadSettled() const
{
    switch (FPlayer->mediaStatus()) {
    case QMediaPlayer::LoadedMedia:
    case QMediaPlayer::BufferedMedia:
    case QMediaPlayer::InvalidMedia:
        return true;
    default:
        return FPlayer->error() != QMediaPlayer::NoError;
    }
}

QString TMediaPlayer::LoadFailureText() const
{
    if (FPlayer->error() != QMediaPlayer::NoError && !FPlayer->errorString().isEmpty())
        return FPlayer->errorString();
    if (FPlayer->mediaStatus() == QMediaPlayer::InvalidMedia)
        return QStringLiteral("not a playable sound file");
    return QStringLiteral("the audio system did not answer");
}

void TMediaPlayer::Release() noexcept
{
    FOpen = false;
    DeletePlayer();
}

void TMediaPlayer::DeletePlayer() noexcept
{
    if (!FPlayer)
        return;
    // Deleted at once, not later: the file must be free when Close returns.
    disconnect(FPlayer, nullptr, this, nullptr);
    delete FPlayer;
    FPlayer = nullptr;
}

void TMediaPlayer::Interrupt(TNotifyValue AValue)
{
    if (!FPlaying)
        return;
    EndPlay(AValue);
    FPlayer->stop();
}

void TMediaPlayer::EndPlay(TNotifyValue AValue)
{
    FPlaying = false;
    FStallTimer->stop();
    // Posted, so a handler never runs inside Play, Stop or Close.
    QMetaObject::invokeMethod(
        this, [this, AValue] { emit Notify(AValue); }, Qt::QueuedConnection);
}

void TMediaPlayer::PlayerStateChanged()
{
    if (!FPlaying || FPlayer->playbackState() != QMediaPlayer::StoppedState)
        return;
    // The end-of-media status follows the stopped state; if neither it nor an
    // error has ended the play by the time the queue is served, it failed.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (FPlaying && FPlayer && FPlayer->playbackState() == QMediaPlayer::StoppedState)
                EndPlay(FPlayer->mediaStatus() == QMediaPlayer::EndOfMedia ? TNotifyValue::Successful
                                                                           : TNotifyValue::Failure);
        },
        Qt::QueuedConnection);
}

void TMediaPlayer::PlayerStatusChanged()
{
    if (!FPlaying)
        return;
    if (FPlayer->mediaStatus() == QMediaPlayer::EndOfMedia)
        EndPlay(TNotifyValue::Successful);
    else if (FPlayer->mediaStatus() == QMediaPlayer::InvalidMedia)
        Interrupt(TNotifyValue::Failure);
}

void TMediaPlayer::PlayerErrorOccurred()
{
    Interrupt(TNotifyValue::Failure);
}

void TMediaPlayer::CheckForStall()
{
    if (!FPlaying)
        return;
    const qint64 position = FPlayer->position();
    if (position != FLastPosition) {
        FLastPosition = position;
        FSincePositionMoved.start();
        return;
    }
    if (FSincePositionMoved.elapsed() < StallLimitMs)
        return;
    const qint64 duration = FPlayer->duration();
    Interrupt(duration > 0 && position >= duration - EndToleranceMs ? TNotifyValue::Successful : TNotifyValue::Failure);
}
