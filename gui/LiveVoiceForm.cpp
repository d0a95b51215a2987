#include "gui/LiveVoiceForm.h"

#include "audio/LiveEffects.h"
#include "audio/LiveSession.h"
#include "audio/SoundDevices.h"
#include "audio/SoundServerError.h"
#include "effects/EffectPresets.h"
#include "gui/UserDialogs.h"
#include "ui_LiveVoiceForm.h"

#include <QCloseEvent>
#include <QTimer>

namespace {

const QString StartCaption = QStringLiteral("Start");
const QString StopCaption = QStringLiteral("Stop");
constexpr int MeterIntervalMs = 50;
constexpr int MicrophoneOutput = 1;

} // namespace

TLiveVoiceForm::TLiveVoiceForm(QWidget *AMainWindow)
    : QWidget(AMainWindow, Qt::Window)
    , FUi(std::make_unique<Ui::TLiveVoiceForm>())
    , FSession(new TLiveSession(this))
    , FMeterTimer(new QTimer(this))
{
    FUi->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    FillInputs();
    FUi->ComboBoxEffect->addItems(LiveEffectItems());
    EffectChanged();
    connect(FUi->ButtonStart, &QPushButton::clicked, this, &TLiveVoiceForm::ButtonStartClick);
    connect(FUi->ComboBoxEffect, &QComboBox::currentIndexChanged, this, &TLiveVoiceForm::EffectChanged);
    connect(FUi->TrackBarRate, &QSlider::valueChanged, this, &TLiveVoiceForm::EffectChanged);
    connect(FUi->TrackBarTempo, &QSlider::valueChanged, this, &TLiveVoiceForm::EffectChanged);
    connect(FSession, &TLiveSession::Stopped, this, &TLiveVoiceForm::SessionStopped);
    connect(FMeterTimer, &QTimer::timeout, this, &TLiveVoiceForm::ShowLevels);
    FMeterTimer->setInterval(MeterIntervalMs);
}

TLiveVoiceForm::~TLiveVoiceForm()
{
    // The chain's thread and the virtual microphone go before the widgets.
    disconnect(FSession, nullptr, this, nullptr);
    FSession->Stop();
}

bool TLiveVoiceForm::IsLive() const
{
    return FSession->Running();
}

// The default input first; without a server the list stays empty and Start says why.
void TLiveVoiceForm::FillInputs()
{
    try {
        for (const TSoundDevice &device : SoundDevices::Inputs())
            FUi->ComboBoxInput->addItem(device.Description, device.Name);
    } catch (const ESoundServerError &) {
    }
}

void TLiveVoiceForm::ButtonStartClick()
{
    if (IsLive())
        Stop();
    else
        Start();
}

void TLiveVoiceForm::Start()
{
    TLiveSettings settings;
    settings.Input = FUi->ComboBoxInput->currentData().toString();
    settings.Effect = FUi->ComboBoxEffect->currentText();
    settings.RatePosition = FUi->TrackBarRate->value();
    settings.TempoPosition = FUi->TrackBarTempo->value();
    settings.ToMicrophone = FUi->ComboBoxOutput->currentIndex() == MicrophoneOutput;
    try {
        FSession->Start(settings);
    } catch (const std::exception &error) {
        TUserDialogs::ShowMessage(QString::fromUtf8(error.what()), QStringLiteral("Error"), TUserDialogs::IconError);
        return;
    }
    FUi->ButtonStart->setText(StopCaption);
    FUi->ComboBoxInput->setEnabled(false);
    FUi->ComboBoxOutput->setEnabled(false);
    FMeterTimer->start();
}

void TLiveVoiceForm::Stop()
{
    FSession->Stop();
    FMeterTimer->stop();
    FUi->ButtonStart->setText(StartCaption);
    FUi->ComboBoxInput->setEnabled(true);
    FUi->ComboBoxOutput->setEnabled(true);
    FUi->ProgressBarInput->setValue(0);
    FUi->ProgressBarOutput->setValue(0);
}

// The sliders count for "Custom" only; a change while live is heard at once.
void TLiveVoiceForm::EffectChanged()
{
    const bool custom = FUi->ComboBoxEffect->currentText() == QLatin1String(CustomEffectItem);
    FUi->TrackBarRate->setEnabled(custom);
    FUi->TrackBarTempo->setEnabled(custom);
    if (!IsLive())
        return;
    try {
        FSession->SetEffect(FUi->ComboBoxEffect->currentText(), FUi->TrackBarRate->value(),
                            FUi->TrackBarTempo->value());
    } catch (const std::exception &error) {
        TUserDialogs::ShowMessage(QString::fromUtf8(error.what()), QStringLiteral("Error"), TUserDialogs::IconError);
    }
}

void TLiveVoiceForm::ShowLevels()
{
    FUi->ProgressBarInput->setValue(int(FSession->Voice().TakeInputPeak() * 100));
    FUi->ProgressBarOutput->setValue(int(FSession->Voice().TakeOutputPeak() * 100));
    FUi->LabelLatency->setText(QStringLiteral("Latency: %1 ms").arg(FSession->Voice().LatencyMs()));
}

void TLiveVoiceForm::SessionStopped(const QString &AMessage)
{
    Stop();
    TUserDialogs::ShowMessage(AMessage, QStringLiteral("Error"), TUserDialogs::IconError);
}

void TLiveVoiceForm::closeEvent(QCloseEvent *AEvent)
{
    Stop();
    AEvent->accept();
}
