#include "app/BatchRunner.h"

#include "app/AppIdentity.h"
#include "app/ConsoleText.h"
#include "app/EffectPresets.h"
#include "app/ResultSaver.h"
#include "app/RunFacts.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>

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
    // As the window's runner: no time limits, output not echoed to the input.
    FRunner.SetInputToOutput(false);
    FRunner.SetMaxTimeAfterBeginning(0);
    FRunner.SetMaxTimeAfterLastOutput(0);
    FRunner.SetOnTerminated([this](QObject *) { RunTerminated(); });
    FRunner.SetOnExecuteError([](QObject *, const std::exception &AError, bool &AHandled) {
        PrintError(QString::fromUtf8(AError.what()));
        AHandled = true;
    });
    FSignals.OnSignal = [this](int ASignal) { Interrupt(ASignal); };
}

int TBatchRunner::Run()
{
    QTimer::singleShot(0, &FLoop, [this] { StartNext(); });
    return FLoop.exec();
}

void TBatchRunner::StartNext()
{
    ++FIndex;
    if (FSignal != 0 || FIndex >= FOptions.Inputs.size()) {
        FLoop.exit(FSignal != 0 ? ExitAfterSignal + FSignal : FAllComplete ? 0 : ExitIncomplete);
        return;
    }
    try {
        StartRun(FOptions.Inputs.at(FIndex));
    } catch (const std::exception &error) {
        PrintError(QString::fromUtf8(error.what()));
        Finish(RunOutcomeText(TRunOutcome::Error));
    }
}

void TBatchRunner::StartRun(const QString &AInput)
{
    // The tool is not told to replace its output: a result of an earlier run goes first.
    QFile::remove(WorkFile());
    FRunner.SetCommandLine(
        BuildEffectCommand(AInput, FOptions.EffectItem, FOptions.RatePosition, FOptions.TempoPosition));
    FRunner.Execute();
}

void TBatchRunner::RunTerminated()
{
    QString status = Outcome();
    if (status == RunOutcomeText(TRunOutcome::Complete) && !FOptions.Outputs.isEmpty())
        SaveResult(status);
    Finish(status);
}

QString TBatchRunner::Outcome()
{
    // The user stopped the batch: whatever the tool left is not a result.
    if (FSignal != 0)
        return RunOutcomeText(TRunOutcome::Aborted);
    const TRunOutcome outcome = DecideRunOutcome(RunFactsOf(WorkFile(), FRunner, false));
    if (outcome == TRunOutcome::Error)
        ReportToolOutput();
    return RunOutcomeText(outcome);
}

void TBatchRunner::SaveResult(QString &AStatus)
{
    const QString target = FOptions.Outputs.at(FIndex);
    QString why;
    const bool saved = QFileInfo(target).suffix().compare(QLatin1String("mp3"), Qt::CaseInsensitive) == 0
                           ? SaveAsMp3(WorkFile(), target, &why)
                           : SaveAsWav(WorkFile(), target, &why);
    if (saved)
        return;
    PrintError(QStringLiteral("cannot save \"%1\": %2").arg(target, why));
    AStatus = RunOutcomeText(TRunOutcome::Error);
}

void TBatchRunner::ReportToolOutput()
{
    // The tool's last words usually say what went wrong (a missing file, a bad stream).
    const TStringList *lines = FRunner.Lines();
    for (int i = lines->Count() - 1; i >= 0; --i)
        if (!lines->Strings(i).trimmed().isEmpty()) {
            PrintError(lines->Strings(i).trimmed());
            return;
        }
}

void TBatchRunner::Finish(const QString &AStatus)
{
    if (AStatus != RunOutcomeText(TRunOutcome::Complete))
        FAllComplete = false;
    PrintLine(stdout, AStatus + QStringLiteral(": ") + FOptions.Inputs.at(FIndex));
    // Started from the loop, not from inside the runner's end notification.
    QTimer::singleShot(0, &FLoop, [this] { StartNext(); });
}

void TBatchRunner::Interrupt(int ASignal)
{
    if (FSignal != 0)
        return;
    FSignal = ASignal;
    FRunner.Stop(); // its end notification reports "Aborted" and ends the batch
}
