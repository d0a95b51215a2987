#pragma once

#include <QObject>
#include <QPoint>

#include <initializer_list>

class QWidget;

// Moves a borderless window while the user drags its client area or one of its
// passive controls (images, labels, panels). Buttons and links are left out, so
// their clicks stay clicks. The right button never drags.
class TDragMove : public QObject
{
    Q_OBJECT

public:
    // Watches AWindow and each of AControls; owned by AWindow.
    TDragMove(QWidget *AWindow, std::initializer_list<QWidget *> AControls);

    bool Dragging() const { return dragging; }

protected:
    bool eventFilter(QObject *AWatched, QEvent *AEvent) override;

private:
    void FormMouseDown(Qt::MouseButton AButton, QPoint AScreenPos);
    void FormMouseMove(QPoint AScreenPos);
    void FormMouseUp();

    QWidget *FWindow;
    bool dragging = false;
    int dx = 0; // screen position of the last drag step
    int dy = 0;
};
