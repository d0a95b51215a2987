#pragma once

#include "cli/CommandLineOptions.h"
#include "effects/EffectBatch.h"
#include "platform/TerminationSignals.h"

#include <QEventLoop>
#include <QList>
#include <optional>

// The command-line mode's batch: the chosen effect over every input, up to
// --jobs of them at once, through the same batch engine as the window. One
// status line per input, in the order of the inputs whatever order they end
// in. SIGINT or SIGTERM stops every running tool and saves nothing of them;
// the inputs after them are not run.
class TBatchRunner
{
public:
    explicit TBatchRunner(const TCommandLineOptions &AOptions);

    // Runs everything on an event loop of its own; returns the exit status:
    // 0 when every input is complete, 1 otherwise, 128 + the signal's number
    // when a signal stopped the batch.
    int Run();

private:
    struct TEnd
    {
        TRunOutcome Outcome;
        QString Reason;
    };

    void ItemFinished(int AIndex, TRunOutcome AOutcome, const QString &AReason);
    void PrintReadyLines();
    void Interrupt(int ASignal);

    const TCommandLineOptions &FOptions;
    TEffectBatch FBatch;
    Platform::TTerminationSignals FSignals;
    QEventLoop FLoop;
    QList<std::optional<TEnd>> FEnds; // per input, once ended
    qsizetype FPrinted = 0;          // inputs whose line is out
    int FSignal = 0;                 // the signal that stopped the batch
    bool FAllComplete = true;
};
