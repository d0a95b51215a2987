#pragma once

#include <QString>

namespace Platform {

// True when APath names a folder; symbolic links are followed.
bool FolderExists(const QString &APath);

// Creates the folder APath, one level only (its parent must exist).
// Raises EOSError with the system's code and the path on failure.
void CreateFolder(const QString &APath);

} // namespace Platform
