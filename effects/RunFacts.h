#pragma once

#include "effects/RunOutcome.h"

#include <QString>

class TProcessRunner;

// What the end of ARunner's last run is decided on, with AWorkFile as the
// run's output and AAbortRequested telling whether the user asked it to stop.
TRunFacts RunFactsOf(const QString &AWorkFile, const TProcessRunner &ARunner, bool AAbortRequested);
