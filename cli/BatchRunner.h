#pragma once

#include "cli/CommandLineOptions.h"
#include "platform/TerminationSignals.h"
#include "process/ProcessRunner.h"

#include <QEventLoop>

// Applies the chosen effect to each input in turn with the same runner set-up
// as the window, saves each complete result when asked to and prints one
// status line per input. SIGINT or SIGTERM stops the running tool; the inputs
// after it are not run.
class TBatchRunner
{
public:
    explicit TBatchRunner(const TCommandLineOptions &AOptions);

    // Runs everything on an event loop of its own; returns the exit status:
    // 0 when every input is complete, 1 otherwise, 128 + the signal's number
    // when a signal stopped the batch.
    int Run();

private:
    void StartNext();
    void StartRun(const QString &AInput);
    void RunTerminated();
    QString Outcome();
    void SaveResult(QString &AStatus);
    void ReportToolOutput();
    void Finish(const QString &AStatus);
    void Interrupt(int ASignal);

    const TCommandLineOptions &FOptions;
    TProcessRunner FRunner;
    Platform::TTerminationSignals FSignals;
    QEventLoop FLoop;
    qsizetype FIndex = -1;
    int FSignal = 0; // the signal that stopped the batch
    bool FAllComplete = true;
};
