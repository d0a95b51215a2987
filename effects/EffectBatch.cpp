#include "effects/EffectBatch.h"

#include "effects/EffectRun.h"
#include "effects/ResultSaver.h"
#include "platform/Event.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QTimer>
#include <stdexcept>
#include <thread>

// Readable once the batch is stopped: a conversion under way watches it.
struct TEffectBatch::TStopEvent : Platform::TEvent
{
    TStopEvent()
        : Platform::TEvent(true)
    {}
};

struct TEffectBatch::TSlot
{
    TEffectRun *Run = nullptr;
    QString WorkFile;
    int Index = -1; // the item it works on, -1 when idle
    std::thread Saver;
};

namespace {

bool IsMp3(const QString &APath)
{
    return QFileInfo(APath).suffix().compare(QLatin1String("mp3"), Qt::CaseInsensitive) == 0;
}

} // namespace

TEffectBatch::TEffectBatch(QObject *AParent)
    : QObject(AParent)
    , FStopEvent(std::make_unique<TStopEvent>())
{}

TEffectBatch::~TEffectBatch()
{
    FStopEvent->Set();
    for (auto &slot : FSlots) {
        if (slot->Saver.joinable())
            slot->Saver.join();
        delete slot->Run; // kills a child still running and reports nothing
        slot->Run = nullptr;
    }
    RemoveWorkFiles();
}

void TEffectBatch::SetEffect(const QString &AItem, int ARatePosition, int ATempoPosition)
{
    FEffectItem = AItem;
    FRatePosition = ARatePosition;
    FTempoPosition = ATempoPosition;
}

void TEffectBatch::SetJobs(int AJobs)
{
    FJobs = std::max(1, AJobs);
}

void TEffectBatch::Start(const QList<TBatchItem> &AItems)
{
    if (FRunning)
        throw std::logic_error("the batch is already running");
    FItems = AItems;
    FNext = 0;
    FStopping = false;
    FStopEvent->Reset();
    ClaimWorkFiles();
    FRunning = true;
    // From the event loop, so that every report comes after Start has returned.
    QTimer::singleShot(0, this, [this] { StartWaiting(); });
}

void TEffectBatch::ClaimWorkFiles()
{
    RemoveWorkFiles();
    const qsizetype count = std::max<qsizetype>(1, std::min<qsizetype>(FJobs, FItems.size()));
    const QFileInfo base(FWorkFileBase);
    for (qsizetype i = 0; i < count; ++i) {
        // A name nobody has yet, so no file of anybody else is ever replaced.
        QTemporaryFile claim(base.absolutePath() + QLatin1Char('/') + base.completeBaseName()
                             + QStringLiteral("-XXXXXX.wav"));
        claim.setAutoRemove(false);
        if (!claim.open()) {
            RemoveWorkFiles();
            throw std::runtime_error(("cannot create a work file beside \"" + FWorkFileBase + "\": "
                                      + claim.errorString())
                                         .toStdString());
        }
        auto slot = std::make_unique<TSlot>();
        slot->WorkFile = claim.fileName();
        slot->Run = new TEffectRun(this);
        slot->Run->SetQuietStartErrors(true);
        TSlot *raw = slot.get();
        connect(slot->Run, &TEffectRun::ProgressChanged, this, [this, raw] {
            emit ItemProgress(raw->Index, raw->Run->Fraction().value_or(-1));
        });
        connect(slot->Run, &TEffectRun::Finished, this,
                [this, raw](TRunOutcome AOutcome, const QString &AReason) { RunFinished(*raw, AOutcome, AReason); });
        FSlots.push_back(std::move(slot));
    }
}

void TEffectBatch::RemoveWorkFiles()
{
    for (auto &slot : FSlots) {
        delete slot->Run;
        QFile::remove(slot->WorkFile);
    }
    FSlots.clear();
}

void TEffectBatch::Stop()
{
    if (!FRunning || FStopping)
        return;
    FStopping = true;
    FStopEvent->Set();
    for (auto &slot : FSlots)
        if (slot->Run->IsRunning())
            slot->Run->Stop();
}

void TEffectBatch::StartWaiting()
{
    for (auto &slot : FSlots)
        if (slot->Index < 0 && !FStopping && FNext < FItems.size())
            StartItem(*slot, FNext++);
    EndWhenIdle();
}

void TEffectBatch::StartItem(TSlot &ASlot, int AIndex)
{
    ASlot.Index = AIndex;
    emit ItemStarted(AIndex);
    try {
        ASlot.Run->Start({FItems.at(AIndex).Input, FEffectItem, FRatePosition, FTempoPosition, ASlot.WorkFile});
    } catch (const std::exception &error) {
        FinishItem(ASlot, TRunOutcome::Error, QString::fromUtf8(error.what()));
    }
}

void TEffectBatch::RunFinished(TSlot &ASlot, TRunOutcome AOutcome, const QString &AReason)
{
    // A stopped batch keeps nothing of the runs it ended.
    if (FStopping)
        return FinishItem(ASlot, TRunOutcome::Aborted, QStringLiteral("stopped"));
    if (AOutcome == TRunOutcome::Complete && !FItems.at(ASlot.Index).Target.isEmpty())
        return StartSave(ASlot);
    FinishItem(ASlot, AOutcome, AReason);
}

void TEffectBatch::StartSave(TSlot &ASlot)
{
    const QString target = FItems.at(ASlot.Index).Target;
    ASlot.Saver = std::thread([this, slot = &ASlot, work = ASlot.WorkFile, target, stopFd = FStopEvent->Fd()] {
        QString why;
        const bool saved = IsMp3(target) ? SaveAsMp3(work, target, &why, stopFd) : SaveAsWav(work, target, &why);
        // Dropped with the batch if it goes first; the destructor joins this thread.
        QMetaObject::invokeMethod(this, [this, slot, saved, why] { SaveFinished(*slot, saved, why); },
                                  Qt::QueuedConnection);
    });
}

void TEffectBatch::SaveFinished(TSlot &ASlot, bool ASaved, const QString &AWhy)
{
    ASlot.Saver.join();
    if (ASaved)
        return FinishItem(ASlot, TRunOutcome::Complete, QString());
    // A stop during the conversion: the target was not touched.
    if (FStopping)
        return FinishItem(ASlot, TRunOutcome::Aborted, QStringLiteral("stopped"));
    FinishItem(ASlot, TRunOutcome::Error,
               QStringLiteral("cannot save \"%1\": %2").arg(FItems.at(ASlot.Index).Target, AWhy));
}

void TEffectBatch::FinishItem(TSlot &ASlot, TRunOutcome AOutcome, const QString &AReason)
{
    const int index = ASlot.Index;
    ASlot.Index = -1;
    emit ItemFinished(index, AOutcome, AReason);
    // The next input starts from the loop, not from inside a run's end.
    QTimer::singleShot(0, this, [this] { StartWaiting(); });
}

void TEffectBatch::EndWhenIdle()
{
    if (!FRunning)
        return;
    for (auto &slot : FSlots)
        if (slot->Index >= 0)
            return;
    if (!FStopping && FNext < FItems.size())
        return;
    FRunning = false;
    RemoveWorkFiles();
    emit Finished();
}
