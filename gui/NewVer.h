#pragma once

#include <QString>
#include <QWidget>
#include <memory>

class QTimer;

namespace Ui {
class TNewVer;
}

// "UPDATE AVAILABLE": a small borderless popup in the top-right corner of the
// screen, above other windows, with a download link. It never takes the focus
// from the main window, slides in about a millisecond after it is created,
// closes itself on the eleventh second and frees itself when closed.
class TNewVer : public QWidget
{
    Q_OBJECT

public:
    // AServerVersion and AUpdateURL come from the server's reply as sent.
    TNewVer(QWidget *AOwner, const QString &AServerVersion, const QString &AUpdateURL);
    ~TNewVer() override;

    static constexpr int ClientWidth = 320;
    static constexpr int ClientHeight = 68;
    static constexpr int EdgeGap = 5; // from the screen's top and right edges
    static constexpr int AnimationMs = 100;
    static constexpr qint64 SecondsShown = 11;

public slots:
    void TimerStartTimer();
    void TimerCloseTimer();
    void TimerLinkTimer();
    void Label2Click();
    void Button1Click();

private:
    void FormCreate(const QString &AServerVersion);
    QTimer *CreateTimer(const char *AName, int AInterval, void (TNewVer::*AHandler)());
    QRect FinalGeometry() const;
    void Animate(const QRect &AFrom, const QRect &ATo);

    std::unique_ptr<Ui::TNewVer> FUi;
    QString FUpdateURL;
    // Ticks of TimerClose left. One popup per process at most, so each popup
    // may keep its own count.
    qint64 FCountdown = SecondsShown;
    QTimer *TimerStart;
    QTimer *TimerClose;
    QTimer *TimerLink;
};
