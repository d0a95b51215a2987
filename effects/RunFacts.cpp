#include "effects/RunFacts.h"

#include "effects/FileSizeOf.h"
#include "effects/SoundFileHasSamples.h"
#include "process/ProcessRunner.h"

TRunFacts RunFactsOf(const QString &AWorkFile, const TProcessRunner &ARunner, bool AAbortRequested)
{
    TRunFacts facts;
    facts.WorkFileExists = FileExists(AWorkFile);
    facts.WorkFileSize = FileSizeOf(AWorkFile);
    facts.WorkFileHasSamples = SoundFileHasSamples(AWorkFile);
    facts.AbortRequested = AAbortRequested;
    facts.EndStatus = ARunner.EndStatus();
    facts.ExitCode = ARunner.ExitCode();
    return facts;
}
