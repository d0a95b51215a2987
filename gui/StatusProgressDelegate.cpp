#include "gui/StatusProgressDelegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>
#include <QStyleOptionProgressBar>
#include <QTimer>
#include <algorithm>

namespace {

constexpr int BusyTickMs = 50;
// Ticks for the busy bar to fill from the left and empty to the right again.
constexpr int BusySweepTicks = 40;
constexpr int BarSteps = 1000;

} // namespace

TStatusProgressDelegate::TStatusProgressDelegate(QAbstractItemView *AView)
    : QStyledItemDelegate(AView)
    , FView(AView)
    , FTimer(new QTimer(this))
{
    FTimer->setInterval(BusyTickMs);
    connect(FTimer, &QTimer::timeout, this, &TStatusProgressDelegate::Tick);
}

QString TStatusProgressDelegate::BarText(const QString &ACellText, double AProgress)
{
    if (AProgress < 0)
        return ACellText;
    const int percent = int(std::clamp(AProgress, 0.0, 1.0) * 100);
    const QString number = QStringLiteral("%1%").arg(percent);
    return ACellText.isEmpty() ? number : ACellText + QLatin1Char(' ') + number;
}

void TStatusProgressDelegate::paint(QPainter *APainter, const QStyleOptionViewItem &AOption,
                                    const QModelIndex &AIndex) const
{
    const QVariant progress = AIndex.data(ProgressRole);
    if (!progress.isValid()) {
        QStyledItemDelegate::paint(APainter, AOption, AIndex);
        return;
    }

    QStyleOptionViewItem cell = AOption;
    initStyleOption(&cell, AIndex);
    const QWidget *widget = AOption.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    // The cell's own background first, so a selected row still looks selected.
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &cell, APainter, widget);

    QStyleOptionProgressBar bar;
    bar.initFrom(FView);
    bar.state = (AOption.state & QStyle::State_Enabled) | QStyle::State_Horizontal;
    bar.rect = AOption.rect.adjusted(1, 1, -1, -1);
    bar.minimum = 0;
    bar.maximum = BarSteps;
    bar.text = BarText(cell.text, progress.toDouble());
    bar.textVisible = true;
    bar.textAlignment = Qt::AlignCenter;

    const double fraction = progress.toDouble();
    if (fraction >= 0) {
        bar.progress = int(std::clamp(fraction, 0.0, 1.0) * BarSteps + 0.5);
    } else {
        // Styles animate their own busy bars only for real progress-bar
        // widgets: sweep the bar in, then out to the right, on our own ticks.
        const int half = BusySweepTicks / 2;
        const int step = FPhase % BusySweepTicks;
        bar.invertedAppearance = step >= half;
        bar.progress = (step < half ? step : BusySweepTicks - step) * BarSteps / half;
        FBusyPainted = true;
        if (!FTimer->isActive())
            FTimer->start();
    }
    style->drawControl(QStyle::CE_ProgressBar, &bar, APainter, widget);
}

bool TStatusProgressDelegate::IsAnimating() const
{
    return FTimer->isActive();
}

void TStatusProgressDelegate::Tick()
{
    // No busy bar painted since the last tick: none is left on screen.
    if (!FBusyPainted) {
        FTimer->stop();
        return;
    }
    FBusyPainted = false;
    ++FPhase;
    FView->viewport()->update();
}
