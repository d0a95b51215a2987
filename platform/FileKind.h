#pragma once

#include <QString>
#include <QStringList>

namespace Platform {

// What stands at a path once symbolic links are followed.
enum class TFileKind { Missing, Regular, Directory, Fifo, CharacterDevice, BlockDevice, Socket, Other, Unknown };

// The kind of file at APath, links followed; Missing when there is none (a link
// to nothing included). Unknown when the system cannot tell (no permission to
// look, a loop of links), with the error number put into AError when given.
TFileKind FileKindOf(const QString &APath, int *AError = nullptr);

// The path a write to APath reaches: each symbolic link replaced by what it
// points to, even when that does not exist yet; APath when it is no link.
QString FinalLinkTarget(const QString &APath);

// The names of the files in AFolder that are regular files once links are
// followed, in the order the system lists them; names that are not UTF-8
// included (see FileName.h), which QDir leaves out.
QStringList RegularFilesIn(const QString &AFolder);

} // namespace Platform
