#include "effects/EffectRun.h"

#include "effects/EffectPresets.h"
#include "effects/OverwriteQuestion.h"
#include "effects/RunFacts.h"
#include "effects/SourceForRun.h"
#include "process/ProcessRunner.h"

#include <QFile>

TEffectRun::TEffectRun(QObject *AParent)
    : QObject(AParent)
    , FRunner(new TProcessRunner(this))
{
    // No time limits: a long effect on a long file may take minutes. The
    // working folder stays unset; the tool is found beside the executable or on
    // the PATH.
    FRunner->SetInputToOutput(false);
    FRunner->SetMaxTimeAfterBeginning(0);
    FRunner->SetMaxTimeAfterLastOutput(0);
    FRunner->SetOnNewLine(
        [this](QObject *, const QString &ALine, TOutputType AType) { RunNewLine(ALine, AType); });
    FRunner->SetOnTerminated([this](QObject *) { RunTerminated(); });
    FRunner->SetOnExecuteError([this](QObject *, const std::exception &AError, bool &AHandled) {
        FStartError = QString::fromUtf8(AError.what());
        AHandled = FQuietStartErrors;
    });
}

TEffectRun::~TEffectRun() = default;

void TEffectRun::Start(const TEffectJob &AJob)
{
    const QString source = SourceForRun(AJob.Input, AJob.WorkFile);
    // The tool is not told to replace its output: a result of an earlier run goes first.
    QFile::remove(AJob.WorkFile);
    FRunner->SetCommandLine(
        BuildEffectCommand(source, AJob.EffectItem, AJob.RatePosition, AJob.TempoPosition, AJob.WorkFile));
    FRunner->Execute();
    FJob = AJob;
    FAbortRequested = false;
    FOverwriteAnswered = false;
    FStartError.clear();
    FReason.clear();
    FProgress.Reset();
    FProgress.SetLengthFactor(EffectLengthFactor(AJob.EffectItem, AJob.RatePosition, AJob.TempoPosition));
}

void TEffectRun::Stop()
{
    FAbortRequested = true;
    FRunner->Stop();
}

bool TEffectRun::IsRunning() const
{
    return FRunner->IsRunning();
}

void TEffectRun::RunNewLine(const QString &ALine, TOutputType AType)
{
    // Something we cannot delete stands at the work file's name (another
    // instance's file, a folder): the tool must not wait for an answer that
    // never comes, nor replace it. It asks once; the growing line and the
    // whole line both carry the question, and only one answer is sent.
    if (!FOverwriteAnswered && AsksToOverwrite(ALine)) {
        FOverwriteAnswered = true;
        FRunner->SendLine(QStringLiteral("N"), true);
    }
    emit NewLine(ALine, AType);
    if (FProgress.FeedOutput(ALine, AType))
        emit ProgressChanged();
}

void TEffectRun::RunTerminated()
{
    FOutcome = DecideRunOutcome(RunFactsOf(FJob.WorkFile, *FRunner, FAbortRequested));
    if (FOutcome == TRunOutcome::Aborted)
        FReason = QStringLiteral("stopped");
    else if (FOutcome == TRunOutcome::Error)
        FReason = !FStartError.isEmpty() ? FStartError : ToolsLastWords();
    emit Finished(FOutcome, FReason);
}

QString TEffectRun::ToolsLastWords() const
{
    // The tool's last words usually say what went wrong (a missing file, a bad stream).
    const TStringList *lines = FRunner->Lines();
    for (int i = lines->Count() - 1; i >= 0; --i)
        if (!lines->Strings(i).trimmed().isEmpty())
            return lines->Strings(i).trimmed();
    return FAbortRequested ? QStringLiteral("stopped before any sound was written")
                           : QStringLiteral("the tool wrote no sound");
}
