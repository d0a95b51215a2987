#pragma once

#include <QLabel>

// A label that works as a web link: hand cursor, and a click with the left
// button released over it reports Click. Its presses never reach the window
// below, so a link is never the start of a window drag.
class TLinkLabel : public QLabel
{
    Q_OBJECT

public:
    explicit TLinkLabel(QWidget *AParent = nullptr);

signals:
    void Click();

protected:
    void mousePressEvent(QMouseEvent *AEvent) override;
    void mouseReleaseEvent(QMouseEvent *AEvent) override;
};
