#include "gui/SoundListEditing.h"

#include <QAction>
#include <QTreeWidget>

TSoundListEditing::TSoundListEditing(QTreeWidget *AList, std::function<bool(QTreeWidgetItem *)> AIsBusy)
    : QObject(AList)
    , FList(AList)
    , FIsBusy(std::move(AIsBusy))
    , FRemove(new QAction(QStringLiteral("Remove from List"), this))
    , FClear(new QAction(QStringLiteral("Clear List"), this))
{
    FRemove->setObjectName(QStringLiteral("RemovefromList1"));
    FRemove->setShortcut(QKeySequence::Delete);
    FClear->setObjectName(QStringLiteral("ClearList1"));
    connect(FRemove, &QAction::triggered, this, &TSoundListEditing::RemoveSelected);
    connect(FClear, &QAction::triggered, this, &TSoundListEditing::Clear);
}

void TSoundListEditing::RemoveSelected()
{
    Remove(FList->selectedItems());
}

void TSoundListEditing::Clear()
{
    QList<QTreeWidgetItem *> items;
    for (int i = 0; i < FList->topLevelItemCount(); ++i)
        items << FList->topLevelItem(i);
    Remove(items);
}

void TSoundListEditing::Remove(const QList<QTreeWidgetItem *> &AItems)
{
    for (QTreeWidgetItem *item : AItems) {
        if (FIsBusy(item))
            continue;
        emit ItemRemoving(item);
        delete item;
    }
}
