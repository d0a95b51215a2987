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
    setPalette(colours);
    setFrameShadow(FChosen ? QFrame::Sunken : QFrame::Raised);
}

void TChoicePanel::changeEvent(QEvent *AEvent)
{
    // New system colours: the same choice in the new colours.
    if (AEvent->type() == QEvent::ApplicationPaletteChange)
        ApplyLook();
    QFrame::changeEvent(AEvent);
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
