#pragma once

#include "audio/LiveVoice.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

class TVirtualMicrophone;

// What live voice is asked to do.
struct TLiveSettings
{
    QString Input;                  // a source name; empty: the server's default input
    QString Effect;                 // as the effect list spells it
    int RatePosition = 10;          // "Custom" only
    int TempoPosition = 2;          // "Custom" only
    bool ToMicrophone = false;      // to "Tonara Microphone" instead of the speakers
};

// Live voice as the window and the command line run it: the input checked,
// "Tonara Microphone" made for as long as it runs, the chain started, and the
// input watched, so that an unplugged device stops it with a message.
class TLiveSession : public QObject
{
    Q_OBJECT

public:
    explicit TLiveSession(QObject *AParent = nullptr);
    ~TLiveSession() override;

    // Raises ESoundServerError or std::runtime_error with a message for the
    // user; the sound setup is then as it was.
    void Start(const TLiveSettings &ASettings);
    // Stops the chain and removes the virtual microphone.
    void Stop();
    bool Running() const { return FVoice.Running(); }
    // Swaps the effect while running; raises for an effect that cannot run live.
    void SetEffect(const QString &AEffect, int ARatePosition, int ATempoPosition);

    TLiveVoice &Voice() { return FVoice; }
    // The input in use (its name), once started.
    QString Input() const { return FInput; }

signals:
    // Live voice stopped by itself; AMessage says why.
    void Stopped(const QString &AMessage);

private:
    TLiveVoice FVoice;
    std::unique_ptr<TVirtualMicrophone> FMicrophone;
    QTimer FInputWatch;
    QString FInput;

    static QString LiveGraph(const QString &AEffect, int ARatePosition, int ATempoPosition);
    void ChooseInput(const QString &AInput);
    void WatchInput();
    void Fail(const QString &AMessage);
};
