#pragma once

#include "audio/WavWriter.h"

#include <QAudioDevice>
#include <QList>
#include <QObject>
#include <QTimer>
#include <memory>

class QAudioSource;
class QIODevice;
class QMediaDevices;

// Records an audio input into a WAV file through the sound server (Qt
// Multimedia's QAudioSource, read on this object's thread). Written with
// TWavWriter, so the file is a valid WAV at every moment. The recording ends on
// Stop, after a set length, or by itself when the device goes away, stops
// delivering or the file cannot grow; what was recorded is kept in every case.
class TVoiceRecorder : public QObject
{
    Q_OBJECT

public:
    explicit TVoiceRecorder(QObject *AParent = nullptr);
    ~TVoiceRecorder() override;

    // The audio inputs, the system's default first; empty when there is none.
    static QList<QAudioDevice> InputDevices();
    // The input whose description or id is AName (any letter case); null when none is.
    static QAudioDevice FindInput(const QString &AName);
    // 16-bit, the device's own rate and at most two channels: the server then
    // hands over the samples as the microphone gives them, unconverted.
    static TPcmFormat FormatFor(const QAudioDevice &ADevice);

    // Starts recording ADevice into APath (replaced only with AReplace). False
    // with ErrorText() when no device is given or the file or device cannot be
    // opened; no file is left behind then.
    bool Start(const QAudioDevice &ADevice, const QString &APath, bool AReplace = false);
    // Ends by itself after this much sound (0: no limit); call before Start.
    void SetLengthLimitMs(qint64 AMs) { FLengthLimitMs = AMs; }
    // Ends the recording and keeps it; Finished follows at once.
    void Stop();

    bool IsRecording() const { return FSource != nullptr; }
    QString FilePath() const { return FPath; }
    qint64 ElapsedMs() const { return FWriter.DurationMs(); }
    // Why the recording failed or ended by itself; empty after Stop or the length limit.
    QString ErrorText() const { return FError; }

signals:
    // Each delivery of sound: the length so far and its loudest sample (0 to 1).
    void Captured(qint64 AElapsedMs, double APeak);
    // The recording has ended and the file is complete. A recording without a
    // single sample is deleted: FilePath() then no longer exists.
    void Finished();

private:
    void ReadAvailable();
    void SourceStateChanged();
    void CheckDevice();
    void EndSoon(const QString &AError);
    void End(const QString &AError);
    static double Peak(const QByteArray &ASamples);

    TWavWriter FWriter;
    QAudioSource *FSource = nullptr;
    QIODevice *FInput = nullptr;
    QAudioDevice FDevice;
    QMediaDevices *FDevices;
    QTimer FWatch; // looks for the device and for sound that stopped coming
    QString FPath;
    QString FError;
    qint64 FLengthLimitMs = 0;
    qint64 FBytesAtLastWatch = -1;
    int FQuietWatches = 0;
    bool FEnding = false; // an end is on its way
};
