#pragma once

#include <QString>

// The file a run reads for AInput. That is AInput itself, unless it is the
// work file AWorkFile, which every run deletes before it starts: then a copy
// of it beside the work file ("output-source.wav" for "output.wav"), so
// chaining effects never loses the last result. Raises std::runtime_error
// when the copy cannot be made; AInput is then untouched.
QString SourceForRun(const QString &AInput, const QString &AWorkFile);
