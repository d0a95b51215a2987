#include "app/RunOutcome.h"

#include "app/FileSizeOf.h"
#include "app/SoundFileHasSamples.h"

QString RunOutcomeText(TRunOutcome AOutcome)
{
    switch (AOutcome) {
    case TRunOutcome::Complete:
        return QStringLiteral("Complete");
    case TRunOutcome::Aborted:
        return QStringLiteral("Aborted");
    case TRunOutcome::Error:
        break;
    }
    return QStringLiteral("Error");
}

TRunOutcome DecideRunOutcome(const TRunFacts &AFacts)
{
    if (!AFacts.WorkFileExists || AFacts.WorkFileSize <= 0 || !AFacts.WorkFileHasSamples)
        return TRunOutcome::Error;
    if (AFacts.AbortRequested)
        return TRunOutcome::Aborted;
    if (AFacts.EndStatus != esProcess || AFacts.ExitCode != 0)
        return TRunOutcome::Error;
    return TRunOutcome::Complete;
}

TRunOutcome RunOutcome(const QString &AWorkFile, bool AAbortRequested, TEndStatus AEndStatus, quint32 AExitCode)
{
    TRunFacts facts;
    facts.WorkFileExists = FileExists(AWorkFile);
    facts.WorkFileSize = FileSizeOf(AWorkFile);
    facts.WorkFileHasSamples = SoundFileHasSamples(AWorkFile);
    facts.AbortRequested = AAbortRequested;
    facts.EndStatus = AEndStatus;
    facts.ExitCode = AExitCode;
    return DecideRunOutcome(facts);
}
