#include "platform/ExecutableFolder.h"

#include "platform/FileName.h"

#include <QByteArray>
#include <unistd.h>

namespace Platform {

QString ExecutablePath()
{
    // The real file's path as the file system's bytes: a folder name that is not
    // UTF-8 must still name the executable (whose version block is read by name).
    QByteArray path(4096, Qt::Uninitialized);
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), size_t(path.size()));
    if (length <= 0 || length >= path.size())
        return QString();
    path.truncate(length);
    return DecodeFileName(path);
}

QString ExecutableFolder()
{
    const QString path = ExecutablePath();
    return path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace Platform
