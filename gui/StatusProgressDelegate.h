#pragma once

#include <QStyledItemDelegate>

class QAbstractItemView;
class QTimer;

// Draws the Status cell of an item whose run is under way as a progress bar
// with the cell's own text ("Processing...") and how far the run has come
// ("Processing... 42%") on it; other cells as usual.
// While a busy bar (how far is unknown) is on screen, the delegate repaints
// the view a few times a second to keep it moving, and stops by itself.
class TStatusProgressDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    // Item data role of the progress: a double 0..1 fills the bar that far;
    // Indeterminate (any negative number) shows a busy bar; no value, no bar.
    static constexpr int ProgressRole = Qt::UserRole + 1;
    static constexpr double Indeterminate = -1;

    explicit TStatusProgressDelegate(QAbstractItemView *AView);

    // The text on the bar: ACellText, with the percentage when AProgress is known.
    static QString BarText(const QString &ACellText, double AProgress);

    void paint(QPainter *APainter, const QStyleOptionViewItem &AOption, const QModelIndex &AIndex) const override;

    // Whether busy bars are being kept moving.
    bool IsAnimating() const;

private:
    void Tick();

    QAbstractItemView *FView;
    QTimer *FTimer;
    int FPhase = 0;
    mutable bool FBusyPainted = false;
};
