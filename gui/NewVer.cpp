#include "gui/NewVer.h"

#include "gui/DragMove.h"
#include "gui/LinkLabel.h"
#include "i18n/Language.h"
#include "identity/AppIdentity.h"
#include "online/DownloadAddress.h"
#include "ui_NewVer.h"

#include <QApplication>
#include <QDesktopServices>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTimer>
#include <QUrl>

namespace {

const QString IconImage = QStringLiteral(":/images/tonara-48.png");

// The window shrunk to its centre point: where the animations start and end.
QRect CentreOf(const QRect &AArea)
{
    return QRect(AArea.center(), QSize(1, 1));
}

} // namespace

TNewVer::TNewVer(QWidget *AOwner, const QString &AServerVersion, const QString &AUpdateURL)
    : QWidget(AOwner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
    , FUi(std::make_unique<Ui::TNewVer>())
    , FUpdateURL(AUpdateURL)
{
    FUi->setupUi(this);
    // The main window keeps the focus while the popup comes and goes.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose);
    new TDragMove(this, {FUi->Panel1, FUi->Image1, FUi->Label1, FUi->Panel3});
    // Opens on a release inside the link only; a press on it never starts a drag.
    connect(FUi->Label2, &TLinkLabel::Click, this, &TNewVer::Label2Click);
    connect(FUi->Button1, &QToolButton::clicked, this, &TNewVer::Button1Click);
    TimerStart = CreateTimer("TimerStart", 1, &TNewVer::TimerStartTimer);
    TimerClose = CreateTimer("TimerClose", 1000, &TNewVer::TimerCloseTimer);
    TimerLink = CreateTimer("TimerLink", 100, &TNewVer::TimerLinkTimer);
    FormCreate(AServerVersion);
}

TNewVer::~TNewVer() = default;

QTimer *TNewVer::CreateTimer(const char *AName, int AInterval, void (TNewVer::*AHandler)())
{
    auto *timer = new QTimer(this);
    timer->setObjectName(QString::fromLatin1(AName));
    timer->setInterval(AInterval);
    connect(timer, &QTimer::timeout, this, AHandler);
    timer->start();
    return timer;
}

void TNewVer::FormCreate(const QString &AServerVersion)
{
    FUi->Image1->setPixmap(QPixmap(IconImage));
    setGeometry(FinalGeometry());
    const QString title = Translate(QStringLiteral("UPDATE AVAILABLE"));
    FUi->Label1->setText(title);
    setWindowTitle(title);
    // The version is the server's text: shown as plain text, never as markup.
    FUi->Label2->setText(Translate(QStringLiteral("Click to download")) + QLatin1Char(' ') + AppProductName
                         + QLatin1Char(' ') + AServerVersion);
}

QRect TNewVer::FinalGeometry() const
{
    const QRect screenArea = QGuiApplication::primaryScreen()->geometry();
    return QRect(screenArea.x() + screenArea.width() - ClientWidth - EdgeGap, screenArea.y() + EdgeGap, ClientWidth,
                 ClientHeight);
}

void TNewVer::Animate(const QRect &AFrom, const QRect &ATo)
{
    auto *animation = new QPropertyAnimation(this, "geometry", this);
    animation->setDuration(AnimationMs);
    animation->setStartValue(AFrom);
    animation->setEndValue(ATo);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void TNewVer::TimerStartTimer()
{
    TimerStart->stop();
    const QRect area = FinalGeometry();
    setGeometry(CentreOf(area));
    show();
    Animate(CentreOf(area), area);
}

void TNewVer::TimerCloseTimer()
{
    if (--FCountdown > 0)
        return;
    TimerClose->stop();
    Animate(geometry(), CentreOf(geometry()));
    QTimer::singleShot(AnimationMs, this, &QWidget::close);
}

void TNewVer::TimerLinkTimer()
{
    // The link lights up while the mouse is over it.
    QLabel *link = FUi->Label2;
    const bool over = link->rect().contains(link->mapFromGlobal(QCursor::pos()));
    QPalette colours = link->palette();
    colours.setColor(QPalette::WindowText,
                     QApplication::palette().color(over ? QPalette::Highlight : QPalette::WindowText));
    link->setPalette(colours);
}

void TNewVer::Label2Click()
{
    // Only a web address from the reply is opened; the desktop's answer is not awaited.
    QDesktopServices::openUrl(QUrl(DownloadAddress(FUpdateURL)));
    close();
}

void TNewVer::Button1Click()
{
    close();
}
