#pragma once

#include <QString>

// Size in bytes of the file AFileName (symbolic links followed), -1 when there
// is nothing of that name. A folder has no size of its own here: 0.
qint64 FileSizeOf(const QString &AFileName);

// AFileName names a regular file (symbolic links followed).
bool FileExists(const QString &AFileName);
