#pragma once

#include <QFrame>
#include <QString>

// One choice of the feedback form: a raised panel with a picture and a centred
// caption, chosen by a click. A chosen panel takes the highlight colours and
// looks pressed in. The choice is kept as state and the look drawn from it (and
// from the current system colours), so no change of colours can change a choice.
class TChoicePanel : public QFrame
{
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)

public:
    explicit TChoicePanel(QWidget *AParent = nullptr);

    QString text() const { return FCaption; }
    void setText(const QString &ACaption);

    bool Chosen() const { return FChosen; }
    void SetChosen(bool AChosen);

signals:
    // A left click on the panel or on its picture.
    void Click();

protected:
    void paintEvent(QPaintEvent *AEvent) override;
    bool eventFilter(QObject *AWatched, QEvent *AEvent) override;
    void mousePressEvent(QMouseEvent *AEvent) override;
    void mouseReleaseEvent(QMouseEvent *AEvent) override;

private:
    void ApplyLook();

    QString FCaption;
    bool FChosen = false;
};
