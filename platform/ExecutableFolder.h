#pragma once

#include <QString>

// Where the running executable lives. Read from /proc/self/exe so it works
// before (and without) a QCoreApplication, e.g. on worker threads and in tests.
namespace Platform {

// Full path of the running executable file.
QString ExecutablePath();

// Folder of the running executable, with a trailing '/'.
QString ExecutableFolder();

} // namespace Platform
