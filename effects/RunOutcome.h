#pragma once

#include "process/ProcessRunnerTypes.h"

#include <QString>

// How an effect run ended, as the sound list shows it.
enum class TRunOutcome { Complete, Error, Aborted };

// "Complete", "Error" or "Aborted".
QString RunOutcomeText(TRunOutcome AOutcome);

// What the end of a run is decided on.
struct TRunFacts
{
    bool WorkFileExists = false;     // the work file is a regular file
    qint64 WorkFileSize = -1;        // its size, -1 when missing
    bool WorkFileHasSamples = false; // it holds sound, not just a WAV header
    bool AbortRequested = false;     // the user asked the run to stop
    TEndStatus EndStatus = esNone;   // how the runner says the run ended
    quint32 ExitCode = 0;            // the tool's exit code
};

// The decision, in this order: no work file, an empty one or one without
// samples is an "Error"; a run the user stopped is "Aborted"; a run that did
// not end by itself with exit code 0 is an "Error" (the tool failed, and what
// it left behind is broken); anything else is "Complete".
TRunOutcome DecideRunOutcome(const TRunFacts &AFacts);
