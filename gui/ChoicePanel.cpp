#include "gui/ChoicePanel.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

TChoicePanel::TChoicePanel(QWidget *AParent)
    : QFrame(AParent)
{
    setFrameShape(QFrame::Panel);
    setAutoFillBackground(true);
    SetChosen(false);
    QCoreApplication::instance()->installEventFilter(this);
}

void TChoicePanel::setText(const QString &ACaption)
{
    FCaption = ACaption;
    update();
}

void TChoicePanel::SetChosen(bool AChosen)
{
    FChosen = AChosen;
    ApplyLook();
}

void TChoicePanel::ApplyLook()
{
    // Set on the panel itself, so that the style's own colours do not win.
    const QPalette system = QApplication::palette();
    QPalette colours = palette();
    colours.setColor(QPalette::Window, system.color(FChosen ? QPalette::Highlight : QPalette::Button));
    colours.setColor(QPalette::WindowText, system.color(FChosen ? QPalette::HighlightedText : QPalette::WindowText));
    if (colours != palette())
        setPalette(colours);
    setFrameShadow(FChosen ? QFrame::Sunken : QFrame::Raised);
}

bool TChoicePanel::eventFilter(QObject *AWatched, QEvent *AEvent)
{
    // New system colours: the same choice in the new colours. The panel's own
    // colours hide the change from it, so the application's event is watched.
    if (AWatched == QCoreApplication::instance() && AEvent->type() == QEvent::ApplicationPaletteChange)
        ApplyLook();
    return QFrame::eventFilter(AWatched, AEvent);
}

void TChoicePanel::paintEvent(QPaintEvent *AEvent)
{
    QFrame::paintEvent(AEvent);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(contentsRect(), Qt::AlignCenter, FCaption);
}

void TChoicePanel::mousePressEvent(QMouseEvent *AEvent)
{
    // Taken, so that the release comes here too.
    AEvent->accept();
}

void TChoicePanel::mouseReleaseEvent(QMouseEvent *AEvent)
{
    // The picture inside passes its clicks on to the panel.
    if (AEvent->button() == Qt::LeftButton && rect().contains(AEvent->position().toPoint()))
        emit Click();
}
