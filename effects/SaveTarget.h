#pragma once

#include <QString>

// Where a result may be saved. A target that exists must be a regular file once
// links are followed: a result written "over" a device, a named pipe or a folder
// would be lost (or would replace a system file), so those are refused before
// any work starts.

// Why ATarget cannot receive a result, as a sentence naming it; empty when it
// can (it does not exist yet, or is a regular file).
QString SaveTargetRefusal(const QString &ATarget);

// The file a result for ATarget is written to: ATarget with its links followed,
// so that a link stays and the file it points to receives the result.
QString SaveTargetFile(const QString &ATarget);
