#pragma once

#include "audio/PcmFormat.h"
#include "audio/PcmPipeSource.h"
#include "audio/PulsePlaybackStream.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

// The effect a preview plays: a list item and, for "Custom", the sliders. An
// empty item plays the input as it is.
struct TPreviewEffect
{
    QString Item;
    int RatePosition = 10;
    int TempoPosition = 2;
};

// Plays an effect on a sound file while ffmpeg is still computing it: ffmpeg
// runs the preset's own filter graph and writes raw samples to a pipe, which
// is read ahead on a thread and written to a stream of the sound server from
// this object's thread. Nothing is written to any file. Another effect
// continues at the position being heard; when the computing falls behind, the
// sound pauses until some of it is buffered again instead of stuttering.
class TPreviewPlayer : public QObject
{
    Q_OBJECT

public:
    explicit TPreviewPlayer(QObject *AParent = nullptr);
    // Stops the sound and the child; no thread is left behind.
    ~TPreviewPlayer() override;

    // Plays AInput from its start with AEffect; a preview already playing stops
    // first. An input that cannot be played ends in Failed (never synchronously).
    void Start(const QString &AInput, const TPreviewEffect &AEffect);
    // Goes on at the position being heard, with AEffect. Nothing while stopped.
    void SwitchEffect(const TPreviewEffect &AEffect);
    // Silences at once; emits nothing, not even a failure of this preview
    // that is still on its way.
    void Stop();

    bool IsPlaying() const { return FPlaying; }
    // The position in the input being heard now, in ms.
    qint64 PositionMs() const;
    // How often the sound ran dry before the input's end and paused to refill.
    int Underruns() const { return FUnderruns; }
    static constexpr TPcmFormat Format{};

    // Why AInput cannot be played (ffmpeg's words), or empty when it can: ffmpeg
    // gives its first samples, or ends cleanly with none. Serves the event loop,
    // not user input, while ffmpeg starts.
    static QString WhyNotPlayable(const QString &AInput);

signals:
    // The first samples of this preview went to the sound server.
    void FirstSound();
    // The input's end has been played.
    void Finished();
    // AReason: ffmpeg's or the sound output's own words.
    void Failed(const QString &AReason);

private:
    bool StartStream(qint64 AInputMs);
    void StopStream();
    bool OpenOutput();
    void Feed();
    void WriteToOutput();
    void CheckEnd();
    void Fail(const QString &AReason);

    TPcmPipeSource FSource;
    std::unique_ptr<TPulsePlaybackStream> FOutput; // the current stream's, or null
    QTimer FFeedTimer;
    QString FInput;
    TPreviewEffect FEffect;
    QByteArray FPending;      // taken from the source, not yet accepted by the output
    qint64 FStreamStartMs = 0; // input position the current stream began at
    qint64 FWrittenBytes = 0;  // written to the output since then
    bool FPlaying = false;
    bool FRefilling = true;  // waiting until enough is buffered to (re)start
    bool FSoundStarted = false;
    int FUnderruns = 0;
    quint64 FRun = 0; // counts starts and stops: a late failure of an earlier one is dropped
};
