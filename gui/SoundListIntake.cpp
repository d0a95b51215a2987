#include "gui/SoundListIntake.h"

#include "effects/SoundFileSet.h"
#include "gui/UserDialogs.h"

#include <QDropEvent>
#include <QMimeData>
#include <QFileInfo>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

TSoundListIntake::TSoundListIntake(QTreeWidget *AList)
    : QObject(AList)
    , FList(AList)
{
    setObjectName(QStringLiteral("SoundListIntake"));
    // The drop events arrive at the viewport; handled here, before the view's
    // own item dragging sees them.
    FList->setAcceptDrops(true);
    FList->viewport()->setAcceptDrops(true);
    FList->viewport()->installEventFilter(this);
}

void TSoundListIntake::Add(const QStringList &APaths, bool ASelectFirst)
{
    Append(TSoundFileSet::Gather(APaths), ASelectFirst);
}

bool TSoundListIntake::eventFilter(QObject *AWatched, QEvent *AEvent)
{
    switch (AEvent->type()) {
    case QEvent::DragEnter:
        // Any files are taken: the drop adds the usable ones and names the rest
        // in one box, so even a drop of nothing usable says why nothing came.
        FDropUsable = !static_cast<QDragEnterEvent *>(AEvent)->mimeData()->urls().isEmpty();
        [[fallthrough]];
    case QEvent::DragMove:
        TakeAsCopy(static_cast<QDropEvent *>(AEvent), FDropUsable);
        return true;
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(AEvent);
        if (TakeAsCopy(drop, true))
            Append(GatherDropped(drop->mimeData()), false);
        return true;
    }
    default:
        return QObject::eventFilter(AWatched, AEvent);
    }
}

bool TSoundListIntake::TakeAsCopy(QDropEvent *AEvent, bool AUsable)
{
    // Never a move, whatever the file manager proposes: it would delete the
    // files once they are "in" the list.
    if (!AUsable || !AEvent->possibleActions().testFlag(Qt::CopyAction)) {
        AEvent->ignore();
        return false;
    }
    AEvent->setDropAction(Qt::CopyAction);
    AEvent->accept();
    return true;
}

TSoundFileSet TSoundListIntake::GatherDropped(const QMimeData *AData)
{
    QStringList paths;
    QStringList elsewhere;
    for (const QUrl &url : AData->urls()) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
        else
            elsewhere << url.toDisplayString();
    }
    TSoundFileSet set = TSoundFileSet::Gather(paths);
    for (const QString &name : std::as_const(elsewhere))
        set.Refuse(name, QStringLiteral("not a local file"));
    return set;
}

QTreeWidgetItem *TSoundListIntake::Find(const QString &APath) const
{
    const QString path = QFileInfo(APath).absoluteFilePath();
    for (int i = 0; i < FList->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = FList->topLevelItem(i);
        if (QFileInfo(item->text(0)).absoluteFilePath() == path)
            return item;
    }
    return nullptr;
}

QTreeWidgetItem *TSoundListIntake::AddOne(const QString &APath)
{
    QTreeWidgetItem *item = Find(APath);
    return item ? item : new QTreeWidgetItem(FList, {APath, QString()});
}

void TSoundListIntake::Append(const TSoundFileSet &ASet, bool ASelectFirst)
{
    QTreeWidgetItem *first = nullptr;
    for (const QString &path : ASet.Files) {
        QTreeWidgetItem *item = AddOne(path);
        first = first ? first : item;
    }
    if (ASelectFirst && first)
        FList->setCurrentItem(first);
    if (!ASet.Refused.isEmpty())
        ReportRefused(ASet.Refused);
}

void TSoundListIntake::ReportRefused(const QStringList &ARefused)
{
    // Not from inside the drop, which the file manager waits for, nor before the
    // window is on the screen.
    const QString text = QStringLiteral("These could not be added to the list:\n\n") + ARefused.join(QLatin1Char('\n'));
    QTimer::singleShot(
        0, this, [text] { TUserDialogs::ShowMessage(text, QStringLiteral("Warning"), TUserDialogs::IconWarning); });
}
