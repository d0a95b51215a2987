#include "gui/DragMove.h"

#include <QMouseEvent>
#include <QWidget>

TDragMove::TDragMove(QWidget *AWindow, std::initializer_list<QWidget *> AControls)
    : QObject(AWindow)
    , FWindow(AWindow)
{
    AWindow->installEventFilter(this);
    for (QWidget *control : AControls)
        control->installEventFilter(this);
}

bool TDragMove::eventFilter(QObject *AWatched, QEvent *AEvent)
{
    switch (AEvent->type()) {
    case QEvent::MouseButtonPress: {
        const auto *mouse = static_cast<QMouseEvent *>(AEvent);
        FormMouseDown(mouse->button(), mouse->globalPosition().toPoint());
        break;
    }
    case QEvent::MouseMove:
        FormMouseMove(static_cast<QMouseEvent *>(AEvent)->globalPosition().toPoint());
        break;
    case QEvent::MouseButtonRelease:
        FormMouseUp();
        break;
    default:
        break;
    }
    return QObject::eventFilter(AWatched, AEvent);
}

void TDragMove::FormMouseDown(Qt::MouseButton AButton, QPoint AScreenPos)
{
    if (AButton == Qt::RightButton)
        return;
    dragging = true;
    dx = AScreenPos.x();
    dy = AScreenPos.y();
}

void TDragMove::FormMouseMove(QPoint AScreenPos)
{
    if (!dragging)
        return;
    FWindow->move(FWindow->x() + AScreenPos.x() - dx, FWindow->y() + AScreenPos.y() - dy);
    dx = AScreenPos.x();
    dy = AScreenPos.y();
}

void TDragMove::FormMouseUp()
{
    dragging = false;
}
