#pragma once

#include <QString>

namespace Platform {

// Where the program of a command line is started from.
// A name containing '/' is taken as a path (relative to the current folder);
// a bare name is looked up first in the folder of the running executable,
// then in each folder of PATH (the system's default path when PATH is unset
// or empty, never the current folder). Returns an absolute path, or an empty string
// when no executable file of that name is found.
QString FindProgram(const QString &AName);

} // namespace Platform
