#pragma once

#include <QObject>
#include <QString>
#include <stdexcept>

class TPreviewPlayer;

// Raised when a sound file cannot be opened or played.
class EMediaPlayerError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Plays one sound file at a time through the sound server: ffmpeg decodes it
// into the same stream a preview plays. Every Play is answered by exactly one
// Notify, delivered later through the event loop: when the sound has played to
// its end, or when the play was stopped, closed, superseded by another Play or
// failed (no sound server, say).
class TMediaPlayer : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString FileName READ FileName WRITE SetFileName)

public:
    // How a play command ended.
    enum class TNotifyValue { Successful, Superseded, Aborted, Failure };
    Q_ENUM(TNotifyValue)

    explicit TMediaPlayer(QObject *AParent = nullptr);
    ~TMediaPlayer() override;

    QString FileName() const;
    void SetFileName(const QString &AValue);

    // Opens FileName, closing whatever was open; returns once the file is
    // known to be playable. Raises EMediaPlayerError when it is missing, not
    // sound or damaged; nothing is open then. Serves the event loop (not user
    // input) while it waits, so posted notifications may arrive meanwhile.
    void Open();
    bool IsOpen() const;

    // Starts playing the open file from its beginning and returns at once.
    // Raises EMediaPlayerError when nothing is open.
    void Play();

    // Stops the current play at once; the interrupted play then notifies
    // Aborted. Nothing happens when idle.
    void Stop();

    bool IsPlaying() const;

    // Stops any play and releases the file: nothing reads it any more when
    // this returns. Never fails; nothing happens when nothing is open.
    void Close() noexcept;

signals:
    void Notify(TMediaPlayer::TNotifyValue AValue);

private:
    void Interrupt(TNotifyValue AValue);
    void EndPlay(TNotifyValue AValue);
    void SoundFinished();
    void SoundFailed();

    TPreviewPlayer *FSound;
    QString FFileName;
    bool FOpen = false;
    bool FPlaying = false;
};
