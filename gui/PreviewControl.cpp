#include "gui/PreviewControl.h"

#include "gui/UserDialogs.h"

#include <QComboBox>
#include <QPushButton>
#include <QShortcut>
#include <QSlider>
#include <QTreeWidget>

namespace {

const QString PreviewCaption = QStringLiteral("Preview");
const QString StopPreviewCaption = QStringLiteral("Stop Preview");

} // namespace

TPreviewControl::TPreviewControl(QPushButton *AButton, QComboBox *AEffects, QSlider *ARate, QSlider *ATempo,
                                 QTreeWidget *AList)
    : QObject(AButton), FButton(AButton), FEffects(AEffects), FRate(ARate), FTempo(ATempo), FList(AList)
{
    // F5 anywhere in the window, whatever has the focus.
    auto *shortcut = new QShortcut(QKeySequence(Qt::Key_F5), FButton->window());
    connect(shortcut, &QShortcut::activated, this, &TPreviewControl::ButtonClick);
    connect(FButton, &QPushButton::clicked, this, &TPreviewControl::ButtonClick);
    connect(FEffects, &QComboBox::currentIndexChanged, this, &TPreviewControl::SettingsChanged);
    connect(FRate, &QSlider::valueChanged, this, &TPreviewControl::SettingsChanged);
    connect(FTempo, &QSlider::valueChanged, this, &TPreviewControl::SettingsChanged);
    connect(&FPlayer, &TPreviewPlayer::Finished, this, &TPreviewControl::Ended);
    connect(&FPlayer, &TPreviewPlayer::Failed, this, &TPreviewControl::ShowFailure);
}

void TPreviewControl::Stop()
{
    FPlayer.Stop();
    Ended();
}

void TPreviewControl::ButtonClick()
{
    if (FPlayer.IsPlaying()) {
        Stop();
        return;
    }
    if (FList->topLevelItemCount() == 0) {
        TUserDialogs::ShowMessage(QStringLiteral("No file selected!"), QStringLiteral("Warning"),
                                  TUserDialogs::IconWarning);
        return;
    }
    const QList<QTreeWidgetItem *> selected = FList->selectedItems();
    const QTreeWidgetItem *item = selected.isEmpty() ? FList->topLevelItem(0) : selected.constFirst();
    FButton->setText(StopPreviewCaption);
    FPlayer.Start(item->text(0), ChosenEffect());
}

void TPreviewControl::SettingsChanged()
{
    FPlayer.SwitchEffect(ChosenEffect());
}

void TPreviewControl::Ended()
{
    FButton->setText(PreviewCaption);
}

void TPreviewControl::ShowFailure()
{
    Ended();
    TUserDialogs::ShowMessage(QStringLiteral("Operation Failed!"), QStringLiteral("Error"), TUserDialogs::IconError);
}

TPreviewEffect TPreviewControl::ChosenEffect() const
{
    return {FEffects->currentText(), FRate->value(), FTempo->value()};
}
