#pragma once

#include <QString>

namespace Platform {

// Creates (or opens, when it exists already) the system-wide named semaphore AName
// and keeps it open for the life of the process. Another instance doing the same
// is not hindered. Returns false when the system refuses; callers may ignore that.
bool CreateNamedSemaphore(const QString &AName);

} // namespace Platform
