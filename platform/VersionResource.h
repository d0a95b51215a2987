#pragma once

#include <QByteArray>
#include <QString>

namespace Platform {

// Name of the ELF section that carries an executable's version block.
inline constexpr char VersionSectionName[] = ".versioninfo";

// Reads the version block stored in the executable file AFileName (not the
// running process's memory). Raises EOSError when the file cannot be read
// (the system's code), is not an executable of this platform (ENOEXEC) or
// carries no version block (ENODATA).
QByteArray LoadVersionBlock(const QString &AFileName);

} // namespace Platform
