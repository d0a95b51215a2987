#pragma once

#include "app/RunOutcome.h"

#include <QString>

class TProcessRunner;

// True when AFileName is a WAV file whose data chunk holds at least one byte
// of sound: a header that announces samples the file does not carry (a tool
// stopped before writing any) counts as none.
bool WavHasSamples(const QString &AFileName);

// What the end of ARunner's last run is decided on, with AWorkFile as the
// run's output and AAbortRequested telling whether the user asked it to stop.
TRunFacts RunFactsOf(const QString &AWorkFile, const TProcessRunner &ARunner, bool AAbortRequested);
