#include "audio/LiveSession.h"

#include "audio/LiveEffects.h"
#include "audio/SoundDevices.h"
#include "audio/SoundServerError.h"
#include "audio/VirtualMicrophone.h"
#include "effects/EffectPresets.h"

namespace {

constexpr int InputWatchMs = 1000;

bool HasInput(const QList<TSoundDevice> &AInputs, const QString &AName)
{
    for (const TSoundDevice &device : AInputs)
        if (device.Name == AName)
            return true;
    return false;
}

} // namespace

TLiveSession::TLiveSession(QObject *AParent)
    : QObject(AParent)
{
    FInputWatch.setInterval(InputWatchMs);
    connect(&FInputWatch, &QTimer::timeout, this, &TLiveSession::WatchInput);
    connect(&FVoice, &TLiveVoice::Failed, this, &TLiveSession::Fail);
}

TLiveSession::~TLiveSession()
{
    Stop();
}

void TLiveSession::Start(const TLiveSettings &ASettings)
{
    Stop();
    const QString graph = LiveGraph(ASettings.Effect, ASettings.RatePosition, ASettings.TempoPosition);
    ChooseInput(ASettings.Input);
    if (ASettings.ToMicrophone)
        FMicrophone = std::make_unique<TVirtualMicrophone>();
    try {
        FVoice.Start(FInput, ASettings.ToMicrophone ? QLatin1String(TVirtualMicrophone::SinkName) : QString(), graph);
    } catch (...) {
        FMicrophone.reset();
        throw;
    }
    FInputWatch.start();
}

void TLiveSession::Stop()
{
    FInputWatch.stop();
    FVoice.Stop();
    FMicrophone.reset();
}

void TLiveSession::SetEffect(const QString &AEffect, int ARatePosition, int ATempoPosition)
{
    FVoice.SetGraph(LiveGraph(AEffect, ARatePosition, ATempoPosition));
}

QString TLiveSession::LiveGraph(const QString &AEffect, int ARatePosition, int ATempoPosition)
{
    if (!RunsLive(AEffect))
        throw std::runtime_error(
            QStringLiteral("\"%1\" needs the whole sound before it gives any: it cannot run live.")
                .arg(AEffect)
                .toStdString());
    return EffectGraph(AEffect, ARatePosition, ATempoPosition);
}

// The default input is fixed by name at the start, so the chain does not
// follow a later change of default, and the watch knows what to look for.
void TLiveSession::ChooseInput(const QString &AInput)
{
    const QList<TSoundDevice> inputs = SoundDevices::Inputs();
    if (inputs.isEmpty())
        throw ESoundServerError("No input device (microphone) was found.");
    if (!AInput.isEmpty() && !HasInput(inputs, AInput))
        throw ESoundServerError(QStringLiteral("The input device \"%1\" was not found.").arg(AInput).toStdString());
    FInput = AInput.isEmpty() ? inputs.first().Name : AInput;
}

void TLiveSession::WatchInput()
{
    try {
        if (!HasInput(SoundDevices::Inputs(), FInput))
            Fail(QStringLiteral("The input device \"%1\" is gone: live voice stopped.").arg(FInput));
    } catch (const ESoundServerError &error) {
        Fail(QString::fromUtf8(error.what()));
    }
}

void TLiveSession::Fail(const QString &AMessage)
{
    if (!Running())
        return;
    Stop();
    emit Stopped(AMessage);
}
