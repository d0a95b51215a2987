#pragma once

#include <QObject>
#include <QStringList>

class QTreeWidget;
class QTreeWidgetItem;
class QDropEvent;
class QMimeData;
class TSoundFileSet;

// Adds sound files to the sound list from outside the open dialog: files named
// at start-up, and files and folders dropped from a file manager. The list takes
// a drop only when it holds something usable; what cannot be added is named in
// one message box, shown once the event that brought the names has returned.
class TSoundListIntake : public QObject
{
    Q_OBJECT

public:
    explicit TSoundListIntake(QTreeWidget *AList);

    // Appends the usable files of APaths in order; with ASelectFirst the first
    // of them becomes the selected item.
    // A file already in the list is not added again; with ASelectFirst its
    // item is selected instead.
    void Add(const QStringList &APaths, bool ASelectFirst);
    // The item of APath, added at the end unless the list holds it already.
    QTreeWidgetItem *AddOne(const QString &APath);

protected:
    bool eventFilter(QObject *AWatched, QEvent *AEvent) override;

private:
    static TSoundFileSet GatherDropped(const QMimeData *AData);
    // Accepts AEvent as a copy when AUsable and the source offers one.
    static bool TakeAsCopy(QDropEvent *AEvent, bool AUsable);
    void Append(const TSoundFileSet &ASet, bool ASelectFirst);
    void ReportRefused(const QStringList &ARefused);
    QTreeWidgetItem *Find(const QString &APath) const;

    QTreeWidget *FList;
    bool FDropUsable = false; // whether the drag in progress holds files
};
