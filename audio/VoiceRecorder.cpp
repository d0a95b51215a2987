#include "audio/VoiceRecorder.h"

#include <QAudioSource>
#include <QFile>
#include <QMediaDevices>

namespace {

constexpr int WatchMs = 250;
// A device that delivers nothing for this long is taken as gone.
constexpr int SilentWatchesAsGone = 5000 / WatchMs;
constexpr int MaxChannels = 2;

} // namespace

TVoiceRecorder::TVoiceRecorder(QObject *AParent)
    : QObject(AParent)
    , FDevices(new QMediaDevices(this))
{
    FWatch.setInterval(WatchMs);
    connect(&FWatch, &QTimer::timeout, this, &TVoiceRecorder::CheckDevice);
    connect(FDevices, &QMediaDevices::audioInputsChanged, this, &TVoiceRecorder::CheckDevice);
}

TVoiceRecorder::~TVoiceRecorder()
{
    // Closing the window or the program keeps what was recorded.
    if (IsRecording())
        End(QString());
}

QList<QAudioDevice> TVoiceRecorder::InputDevices()
{
    QList<QAudioDevice> devices = QMediaDevices::audioInputs();
    const QByteArray defaultId = QMediaDevices::defaultAudioInput().id();
    std::stable_partition(devices.begin(), devices.end(),
                          [&](const QAudioDevice &ADevice) { return ADevice.id() == defaultId; });
    return devices;
}

QAudioDevice TVoiceRecorder::FindInput(const QString &AName)
{
    for (const QAudioDevice &device : InputDevices())
        if (device.description().compare(AName, Qt::CaseInsensitive) == 0
            || QString::fromUtf8(device.id()).compare(AName, Qt::CaseInsensitive) == 0)
            return device;
    return QAudioDevice();
}

TPcmFormat TVoiceRecorder::FormatFor(const QAudioDevice &ADevice)
{
    TPcmFormat format;
    const QAudioFormat preferred = ADevice.preferredFormat();
    if (preferred.sampleRate() >= 8000 && preferred.sampleRate() <= 192000)
        format.SampleRate = preferred.sampleRate();
    if (preferred.channelCount() >= 1)
        format.Channels = std::min(preferred.channelCount(), MaxChannels);
    return format;
}

bool TVoiceRecorder::Start(const QAudioDevice &ADevice, const QString &APath, bool AReplace)
{
    FError.clear();
    if (IsRecording()) {
        FError = QStringLiteral("A recording is already running.");
        return false;
    }
    if (ADevice.isNull()) {
        FError = QStringLiteral("No audio input was found. Connect a microphone and try again.");
        return false;
    }
    const TPcmFormat format = FormatFor(ADevice);
    if (!FWriter.Open(APath, format, AReplace)) {
        FError = QStringLiteral("The file \"%1\" cannot be created: %2").arg(APath, FWriter.ErrorText());
        return false;
    }
    FPath = APath;
    FDevice = ADevice;
    FSource = new QAudioSource(ADevice, format.AudioFormat(), this);
    FInput = FSource->start();
    if (!FInput || FSource->state() == QAudio::StoppedState) {
        FError = QStringLiteral("The audio input \"%1\" cannot be opened.").arg(ADevice.description());
        delete FSource;
        FSource = nullptr;
        FWriter.Finish();
        QFile::remove(APath);
        return false;
    }
    connect(FInput, &QIODevice::readyRead, this, &TVoiceRecorder::ReadAvailable);
    connect(FSource, &QAudioSource::stateChanged, this, &TVoiceRecorder::SourceStateChanged);
    FBytesAtLastWatch = -1;
    FQuietWatches = 0;
    FWatch.start();
    return true;
}

void TVoiceRecorder::Stop()
{
    if (IsRecording())
        End(QString());
}

void TVoiceRecorder::ReadAvailable()
{
    if (!FInput || FEnding)
        return;
    QByteArray samples = FInput->readAll();
    if (FLengthLimitMs > 0) {
        const qint64 room = FWriter.Format().BytesForMs(FLengthLimitMs) - FWriter.DataBytes();
        samples.truncate(std::max<qint64>(room, 0));
    }
    if (!FWriter.Append(samples.constData(), samples.size())) {
        EndSoon(QStringLiteral("The recording stopped: %1. What was recorded until then is kept.")
                    .arg(FWriter.ErrorText()));
        return;
    }
    emit Captured(FWriter.DurationMs(), Peak(samples));
    if (FLengthLimitMs > 0 && FWriter.DataBytes() >= FWriter.Format().BytesForMs(FLengthLimitMs))
        EndSoon(QString());
}

void TVoiceRecorder::EndSoon(const QString &AError)
{
    // Not from inside the source's own signal: ending deletes the source.
    FEnding = true;
    QMetaObject::invokeMethod(
        this, [this, AError] { End(AError); }, Qt::QueuedConnection);
}

void TVoiceRecorder::SourceStateChanged()
{
    if (FSource && !FEnding && FSource->state() == QAudio::StoppedState && FSource->error() != QAudio::NoError)
        EndSoon(QStringLiteral("The audio input \"%1\" stopped working. What was recorded until then is kept.")
                    .arg(FDevice.description()));
}

void TVoiceRecorder::CheckDevice()
{
    if (!IsRecording())
        return;
    const QList<QAudioDevice> inputs = QMediaDevices::audioInputs();
    const bool present = std::any_of(inputs.begin(), inputs.end(),
                                     [&](const QAudioDevice &ADevice) { return ADevice.id() == FDevice.id(); });
    FQuietWatches = FWriter.DataBytes() == FBytesAtLastWatch ? FQuietWatches + 1 : 0;
    FBytesAtLastWatch = FWriter.DataBytes();
    if (!present || FQuietWatches >= SilentWatchesAsGone)
        End(QStringLiteral("The audio input \"%1\" was disconnected. What was recorded until then is kept.")
                .arg(FDevice.description()));
}

void TVoiceRecorder::End(const QString &AError)
{
    if (!FSource)
        return;
    FEnding = false;
    FWatch.stop();
    if (FSource) {
        // Whatever the server handed over before the end belongs to the recording.
        if (FInput && AError.isEmpty() && !FWriter.Failed() && FLengthLimitMs == 0) {
            const QByteArray rest = FInput->readAll();
            FWriter.Append(rest.constData(), rest.size());
        }
        FSource->disconnect(this);
        FSource->stop();
        delete FSource;
        FSource = nullptr;
        FInput = nullptr;
    }
    const bool written = FWriter.Finish();
    FError = AError;
    if (FError.isEmpty() && !written)
        FError = QStringLiteral("The recording could not be completed: %1").arg(FWriter.ErrorText());
    if (FWriter.DataBytes() == 0) {
        QFile::remove(FPath);
        if (!FError.isEmpty())
            FError += QStringLiteral(" Nothing had been recorded yet.");
    }
    emit Finished();
}

double TVoiceRecorder::Peak(const QByteArray &ASamples)
{
    int peak = 0;
    const auto *samples = reinterpret_cast<const qint16 *>(ASamples.constData());
    for (qsizetype i = 0; i < ASamples.size() / 2; ++i)
        peak = std::max(peak, std::abs(int(samples[i])));
    return peak / 32768.0;
}
