#pragma once

#include <QWidget>
#include <memory>

class QTimer;
class TLiveSession;

namespace Ui {
class TLiveVoiceForm;
}

// The live voice window: input, effect (those that run live, with the Custom
// sliders), output to the speakers or to "Tonara Microphone", Start/Stop, the
// input and output levels and the measured latency. Closing it stops live voice.
class TLiveVoiceForm : public QWidget
{
    Q_OBJECT

public:
    explicit TLiveVoiceForm(QWidget *AMainWindow);
    ~TLiveVoiceForm() override;

    bool IsLive() const;

public slots:
    void ButtonStartClick();

protected:
    void closeEvent(QCloseEvent *AEvent) override;

private:
    void FillInputs();
    void Start();
    void Stop();
    void EffectChanged();
    void ShowLevels();
    void SessionStopped(const QString &AMessage);

    std::unique_ptr<Ui::TLiveVoiceForm> FUi;
    TLiveSession *FSession;
    QTimer *FMeterTimer;
};
