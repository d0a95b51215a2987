#include "app/RunOutcome.h"

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
