#pragma once

#include "effects/RunOutcome.h"

#include <QObject>
#include <QStringList>
#include <functional>

class QPushButton;
class QTreeWidget;
class TEffectBatch;

// The window's "Process All": asks for a folder and a format, then runs the
// chosen effect over every listed file through the shared batch engine. Each
// row shows its own progress and end; the Play button reads "Stop" meanwhile
// and stops the runs under way. One box at the end says what came of it.
class TProcessAll : public QObject
{
    Q_OBJECT

public:
    TProcessAll(QTreeWidget *AList, QPushButton *APlayButton);
    // A batch under way is stopped; results already saved stay.
    ~TProcessAll() override;

    // Asks, then starts; returns at once. AWorkFileBase: the work files are
    // new files beside it.
    void Start(const QString &AEffectItem, int ARatePosition, int ATempoPosition, const QString &AWorkFileBase);
    void Stop();
    bool IsRunning() const;

    // The end box's text for ACompleted results in AFolder and the names of the failed inputs.
    static QString EndText(int ACompleted, const QStringList &AFailed, const QString &AFolder);

    // Tests answer the end box instead of a person: the box's text in,
    // whether "Open Folder" was pressed out.
    using TEndBoxAnswer = std::function<bool(const QString &AText)>;
    static void SetEndBoxAnswer(TEndBoxAnswer AAnswer);

private:
    bool AskTargets(const QString &AEffectItem, QStringList &ATargets);
    void ItemStarted(int AIndex);
    void ItemProgress(int AIndex, double AFraction);
    void ItemFinished(int AIndex, TRunOutcome AOutcome, const QString &AReason);
    void BatchFinished();
    bool ShowEndBox(const QString &AText);

    QTreeWidget *FList;
    QPushButton *FPlayButton;
    TEffectBatch *FBatch;
    QString FFolder;
    int FCompleted = 0;
    QStringList FFailed;
};
