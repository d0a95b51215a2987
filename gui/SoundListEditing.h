#pragma once

#include <QObject>
#include <functional>

class QAction;
class QTreeWidget;
class QTreeWidgetItem;

// Taking files off the sound list (never off the disk): File › "Remove from
// List" (the Delete key) for the selected files and "Clear List" for all. The
// file of a run under way stays.
class TSoundListEditing : public QObject
{
    Q_OBJECT

public:
    // AIsBusy tells whether an item's file is being processed (and must stay).
    TSoundListEditing(QTreeWidget *AList, std::function<bool(QTreeWidgetItem *)> AIsBusy);

    QAction *RemoveAction() const { return FRemove; }
    QAction *ClearAction() const { return FClear; }

    void RemoveSelected();
    void Clear();

signals:
    // Just before AItem is deleted.
    void ItemRemoving(QTreeWidgetItem *AItem);

private:
    void Remove(const QList<QTreeWidgetItem *> &AItems);

    QTreeWidget *FList;
    std::function<bool(QTreeWidgetItem *)> FIsBusy;
    QAction *FRemove;
    QAction *FClear;
};
