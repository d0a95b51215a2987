#include "gui/LinkLabel.h"

#include <QMouseEvent>

TLinkLabel::TLinkLabel(QWidget *AParent)
    : QLabel(AParent)
{
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_NoMousePropagation);
}

void TLinkLabel::mousePressEvent(QMouseEvent *AEvent)
{
    AEvent->accept();
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent *AEvent)
{
    AEvent->accept();
    if (AEvent->button() == Qt::LeftButton && rect().contains(AEvent->position().toPoint()))
        emit Click();
}
