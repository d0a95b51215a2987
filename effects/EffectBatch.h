#pragma once

#include "effects/RunOutcome.h"

#include <QList>
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

class TEffectRun;

// One input of a batch and the file its result is saved to (WAV copy or MP3
// conversion, by the name's extension); nothing is saved when Target is empty.
struct TBatchItem
{
    QString Input;
    QString Target;
};

// Applies one effect to a list of inputs, up to Jobs of them at once, each run
// into a work file of its own, and saves each complete result. Both the
// window's "Process All" and the command-line mode run their batches through it.
// Inputs start in list order; ends are reported as they happen (not in order).
// Saving runs on a thread of its own, so neither the window nor the other runs
// wait for an MP3 conversion.
class TEffectBatch : public QObject
{
    Q_OBJECT

public:
    explicit TEffectBatch(QObject *AParent = nullptr);
    // A batch still under way is stopped: its runs' children are killed, a
    // conversion under way is stopped and its saving thread joined, the work
    // files go. Nothing is reported then.
    ~TEffectBatch() override;

    // The effect as the list names it, with the Custom sliders' positions.
    void SetEffect(const QString &AItem, int ARatePosition, int ATempoPosition);
    // How many inputs run at once; at least one.
    void SetJobs(int AJobs);
    int Jobs() const { return FJobs; }
    // The work files are new files beside this one, named after it; they are
    // removed when the batch ends.
    void SetWorkFileBase(const QString &APath) { FWorkFileBase = APath; }

    // Starts the batch and returns at once. Raises std::exception when the work
    // files cannot be made; nothing runs then.
    void Start(const QList<TBatchItem> &AItems);
    // Ends every run under way ("Aborted", nothing of it saved) and starts no
    // more; Finished follows once they have ended.
    void Stop();
    bool IsRunning() const { return FRunning; }
    bool Stopped() const { return FStopping; }

signals:
    void ItemStarted(int AIndex);
    // AFraction 0..1, or negative while the length of the run is unknown.
    void ItemProgress(int AIndex, double AFraction);
    // AReason as TEffectRun gives it, or why the result could not be saved.
    void ItemFinished(int AIndex, TRunOutcome AOutcome, const QString &AReason);
    void Finished();

private:
    struct TSlot;

    void ClaimWorkFiles();
    void RemoveWorkFiles();
    void StartWaiting();
    void StartItem(TSlot &ASlot, int AIndex);
    void RunFinished(TSlot &ASlot, TRunOutcome AOutcome, const QString &AReason);
    void StartSave(TSlot &ASlot);
    void SaveFinished(TSlot &ASlot, bool ASaved, const QString &AWhy);
    void FinishItem(TSlot &ASlot, TRunOutcome AOutcome, const QString &AReason);
    void EndWhenIdle();

    QString FEffectItem;
    int FRatePosition = 10;
    int FTempoPosition = 2;
    int FJobs = 1;
    QString FWorkFileBase;
    QList<TBatchItem> FItems;
    int FNext = 0;
    bool FRunning = false;
    bool FStopping = false;
    std::vector<std::unique_ptr<TSlot>> FSlots;
    struct TStopEvent;
    std::unique_ptr<TStopEvent> FStopEvent;
};
