#include "gui/ProcessAll.h"

#include "effects/BatchTargets.h"
#include "effects/EffectBatch.h"
#include "gui/ProcessAllDialog.h"
#include "gui/StatusProgressDelegate.h"
#include "gui/UserDialogs.h"
#include "identity/SettingsStore.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTreeWidget>
#include <QUrl>

namespace {

constexpr int StatusColumn = 1;
// Failed inputs named in the end box; the rest are counted.
constexpr int FailedNamesShown = 3;
constexpr int MostJobsByDefault = 4;

const QString SettingsSection = QStringLiteral("Settings");
const QString FolderValue = QStringLiteral("ProcessAllFolder");
const QString JobsValue = QStringLiteral("ProcessAllJobs");

TProcessAll::TEndBoxAnswer &EndBoxAnswer()
{
    static TProcessAll::TEndBoxAnswer answer;
    return answer;
}

int JobsSetting()
{
    const int byDefault = std::clamp(QThread::idealThreadCount(), 1, MostJobsByDefault);
    const int stored = SettingsStore().ReadString(SettingsSection, JobsValue, QString()).toInt();
    return stored > 0 ? stored : byDefault;
}

} // namespace

TProcessAll::TProcessAll(QTreeWidget *AList, QPushButton *APlayButton)
    : QObject(AList)
    , FList(AList)
    , FPlayButton(APlayButton)
    , FBatch(new TEffectBatch(this))
{
    setObjectName(QStringLiteral("ProcessAll"));
    connect(FBatch, &TEffectBatch::ItemStarted, this, &TProcessAll::ItemStarted);
    connect(FBatch, &TEffectBatch::ItemProgress, this, &TProcessAll::ItemProgress);
    connect(FBatch, &TEffectBatch::ItemFinished, this, &TProcessAll::ItemFinished);
    connect(FBatch, &TEffectBatch::Finished, this, &TProcessAll::BatchFinished);
}

TProcessAll::~TProcessAll()
{
    // The batch goes first, while the rows it would report to still exist.
    disconnect(FBatch, nullptr, this, nullptr);
    delete FBatch;
}

bool TProcessAll::IsRunning() const
{
    return FBatch->IsRunning();
}

void TProcessAll::Stop()
{
    FBatch->Stop();
}

void TProcessAll::Start(const QString &AEffectItem, int ARatePosition, int ATempoPosition,
                        const QString &AWorkFileBase)
{
    if (FBatch->IsRunning() || FList->topLevelItemCount() == 0)
        return;
    QStringList targets;
    if (!AskTargets(AEffectItem, targets))
        return;
    QList<TBatchItem> items;
    for (int i = 0; i < FList->topLevelItemCount(); ++i)
        items.append({FList->topLevelItem(i)->text(0), targets.at(i)});
    FBatch->SetEffect(AEffectItem, ARatePosition, ATempoPosition);
    FBatch->SetWorkFileBase(AWorkFileBase);
    FCompleted = 0;
    FFailed.clear();
    try {
        FBatch->Start(items);
    } catch (const std::exception &error) {
        TUserDialogs::ShowMessage(QString::fromUtf8(error.what()), QStringLiteral("Error"), TUserDialogs::IconError);
        return;
    }
    FPlayButton->setText(QStringLiteral("Stop"));
}

bool TProcessAll::AskTargets(const QString &AEffectItem, QStringList &ATargets)
{
    TProcessAllDialog dialog(FList->window(), SettingsStore().ReadString(SettingsSection, FolderValue, QString()),
                             JobsSetting());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    FFolder = dialog.Folder();
    if (FFolder.isEmpty() || !QFileInfo(FFolder).isDir()) {
        TUserDialogs::ShowMessage(QStringLiteral("The folder \"%1\" does not exist.").arg(FFolder),
                                  QStringLiteral("Warning"), TUserDialogs::IconWarning);
        return false;
    }
    FFolder = QFileInfo(FFolder).absoluteFilePath();
    SettingsStore().WriteString(SettingsSection, FolderValue, FFolder);
    SettingsStore().WriteString(SettingsSection, JobsValue, QString::number(dialog.Jobs()));
    FBatch->SetJobs(dialog.Jobs());
    QStringList inputs;
    for (int i = 0; i < FList->topLevelItemCount(); ++i)
        inputs.append(FList->topLevelItem(i)->text(0));
    try {
        ATargets = BatchTargets(inputs, AEffectItem, FFolder, dialog.Format());
    } catch (const std::exception &error) {
        TUserDialogs::ShowMessage(QString::fromUtf8(error.what()), QStringLiteral("Error"), TUserDialogs::IconError);
        return false;
    }
    // Files of the same names are replaced only when the user agrees, once for the batch.
    const qsizetype existing = std::count_if(ATargets.cbegin(), ATargets.cend(),
                                             [](const QString &APath) { return QFileInfo::exists(APath); });
    return existing == 0
           || TUserDialogs::AskYesNo(QStringLiteral("%1 file(s) in \"%2\" already have the names of results.\n\n"
                                                    "Replace them?")
                                         .arg(existing)
                                         .arg(FFolder),
                                     QStringLiteral("Confirm"));
}

void TProcessAll::ItemStarted(int AIndex)
{
    QTreeWidgetItem *item = FList->topLevelItem(AIndex);
    item->setText(StatusColumn, QStringLiteral("Processing..."));
    item->setData(StatusColumn, TStatusProgressDelegate::ProgressRole, TStatusProgressDelegate::Indeterminate);
}

void TProcessAll::ItemProgress(int AIndex, double AFraction)
{
    FList->topLevelItem(AIndex)->setData(StatusColumn, TStatusProgressDelegate::ProgressRole,
                                         AFraction < 0 ? TStatusProgressDelegate::Indeterminate : AFraction);
}

void TProcessAll::ItemFinished(int AIndex, TRunOutcome AOutcome, const QString &)
{
    QTreeWidgetItem *item = FList->topLevelItem(AIndex);
    item->setData(StatusColumn, TStatusProgressDelegate::ProgressRole, QVariant());
    item->setText(StatusColumn, RunOutcomeText(AOutcome));
    if (AOutcome == TRunOutcome::Complete)
        ++FCompleted;
    else
        FFailed.append(QFileInfo(item->text(0)).fileName());
}

void TProcessAll::BatchFinished()
{
    FPlayButton->setText(QStringLiteral("Play"));
    if (ShowEndBox(EndText(FCompleted, FFailed, FFolder)))
        QDesktopServices::openUrl(QUrl::fromLocalFile(FFolder));
}

QString TProcessAll::EndText(int ACompleted, const QStringList &AFailed, const QString &AFolder)
{
    QString text = QStringLiteral("Completed: %1").arg(ACompleted);
    if (!AFailed.isEmpty()) {
        text += QStringLiteral("\nNot completed: %1 (%2").arg(AFailed.size()).arg(
            AFailed.mid(0, FailedNamesShown).join(QStringLiteral(", ")));
        text += AFailed.size() > FailedNamesShown ? QStringLiteral(", ...)") : QStringLiteral(")");
    }
    return text + QStringLiteral("\n\nLocation: ") + QDir::toNativeSeparators(AFolder);
}

void TProcessAll::SetEndBoxAnswer(TEndBoxAnswer AAnswer)
{
    EndBoxAnswer() = std::move(AAnswer);
}

bool TProcessAll::ShowEndBox(const QString &AText)
{
    if (EndBoxAnswer())
        return EndBoxAnswer()(AText);
    QMessageBox box(FFailed.isEmpty() ? QMessageBox::Information : QMessageBox::Warning,
                    QStringLiteral("Process All Files"), AText, QMessageBox::Ok, FList->window());
    box.setTextFormat(Qt::PlainText);
    QPushButton *open = box.addButton(QStringLiteral("Open Folder"), QMessageBox::ActionRole);
    box.exec();
    return box.clickedButton() == open;
}
