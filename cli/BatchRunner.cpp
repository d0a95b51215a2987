#include "cli/BatchRunner.h"

#include "cli/ConsoleText.h"
#include "identity/AppIdentity.h"

namespace {

constexpr int ExitIncomplete = 1;
constexpr int ExitAfterSignal = 128;

void PrintError(const QString &AText)
{
    PrintLine(stderr, QStringLiteral("tonara: ") + AText);
}

} // namespace

TBatchRunner::TBatchRunner(const TCommandLineOptions &AOptions)
    : FOptions(AOptions)
{
    FBatch.SetEffect(FOptions.EffectItem, FOptions.RatePosition, FOptions.TempoPosition);
    FBatch.SetJobs(FOptions.Jobs);
    FBatch.SetWorkFileBase(WorkFile());
    QObject::connect(&FBatch, &TEffectBatch::ItemFinished, &FLoop,
                     [this](int AIndex, TRunOutcome AOutcome, const QString &AReason) {
                         ItemFinished(AIndex, AOutcome, AReason);
                     });
    QObject::connect(&FBatch, &TEffectBatch::Finished, &FLoop, [this] {
        PrintReadyLines();
        FLoop.exit(FSignal != 0 ? ExitAfterSignal + FSignal : FAllComplete ? 0 : ExitIncomplete);
    });
    FSignals.OnSignal = [this](int ASignal) { Interrupt(ASignal); };
}

int TBatchRunner::Run()
{
    QList<TBatchItem> items;
    for (qsizetype i = 0; i < FOptions.Inputs.size(); ++i)
        items.append({FOptions.ToolInput(i), FOptions.Outputs.value(i)});
    FEnds = QList<std::optional<TEnd>>(items.size());
    FBatch.Start(items);
    const int status = FLoop.exec();
    RemoveOwnWorkFile();
    return status;
}

void TBatchRunner::ItemFinished(int AIndex, TRunOutcome AOutcome, const QString &AReason)
{
    FEnds[AIndex] = TEnd{AOutcome, AReason};
    PrintReadyLines();
}

void TBatchRunner::PrintReadyLines()
{
    while (FPrinted < FEnds.size() && FEnds.at(FPrinted)) {
        const TEnd &end = *FEnds.at(FPrinted);
        if (end.Outcome != TRunOutcome::Complete)
            FAllComplete = false;
        // A stop is the user's doing; everything else says why it failed.
        if (end.Outcome == TRunOutcome::Error && !end.Reason.isEmpty())
            PrintError(end.Reason);
        PrintLine(stdout, RunOutcomeText(end.Outcome) + QStringLiteral(": ") + FOptions.Inputs.at(FPrinted));
        ++FPrinted;
    }
}

void TBatchRunner::Interrupt(int ASignal)
{
    if (FSignal != 0)
        return;
    FSignal = ASignal;
    FBatch.Stop(); // the runs under way end "Aborted" and the batch ends
}
