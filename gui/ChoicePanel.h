#pragma once

#include <QFrame>
#include <QString>

// One choice of the feedback form: a raised panel with a picture and a centred
// caption, chosen by a click. A chosen panel takes the highlight colours and
// looks pressed in; whether it is chosen is read back from its colour, so the
// look and the state can never disagree.
class TChoicePanel : public QFrame
{
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)

public:
    explicit TChoicePanel(QWidget *AParent = nullptr);

    QString text() const { return FCaption; }
    void setText(const QString &ACaption);

    // Its colour is not the button face.
    bool Chosen() const;
    void SetChosen(bool AChosen);

signals:
    // A left click on the panel or on its picture.
    void Click();

protected:
    void paintEvent(QPaintEvent *AEvent) override;
    void mousePressEvent(QMouseEvent *AEvent) override;
    void mouseReleaseEvent(QMouseEvent *AEvent) override;

private:
    QString FCaption;
};
