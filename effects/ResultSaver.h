#pragma once

#include <QString>

// Storing the result of a run, without any dialog: used by the window's Save
// entries and by the command line. Each returns false on failure and then puts
// a short English reason into AWhy when given. Each first refuses a target that
// SaveTargetRefusal refuses, and writes through a link at the target.

// Copies AWorkFile to ATarget, replacing an existing file. The copy is written
// beside the target first and renamed over it, so a failure leaves an existing
// target as it was.
bool SaveAsWav(const QString &AWorkFile, const QString &ATarget, QString *AWhy = nullptr);

// The tool's command line that converts AWorkFile to the MP3 file ATarget:
// "-y" (replace the target), "-xerror" (a failed write fails the run; by
// default the tool still exits with 0), "-i", the work file, "-f mp3" (whatever the
// target's name ends in), the target; both paths in double quotes.
QString Mp3ConversionCommand(const QString &AWorkFile, const QString &ATarget);

// Converts AWorkFile to ATarget with the external tool, run in the folder of
// this executable. The tool writes a new file beside the target, which is
// renamed over the target only once the conversion succeeded, so a failure
// leaves an existing target as it was. Fails when the tool cannot be started,
// exits with a code other than 0, leaves no non-empty file, or is stopped
// because AStopFd (if not -1) became readable. Relative paths are taken from
// the current folder, not from the tool's.
bool SaveAsMp3(const QString &AWorkFile, const QString &ATarget, QString *AWhy = nullptr, int AStopFd = -1);
