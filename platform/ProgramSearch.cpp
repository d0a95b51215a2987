#include "platform/ProgramSearch.h"

#include "platform/ExecutableFolder.h"

#include <QDir>
#include <QFileInfo>
#include <unistd.h>

namespace Platform {

namespace {

// The PATH, or the system's default search path where there is none (never
// the current folder, which an empty PATH would mean).
QString SearchPath()
{
    const QString path = qEnvironmentVariable("PATH");
    if (!path.isEmpty())
        return path;
    const size_t size = confstr(_CS_PATH, nullptr, 0);
    QByteArray buffer(qsizetype(size), '\0');
    if (size == 0 || confstr(_CS_PATH, buffer.data(), size) == 0)
        return QStringLiteral("/bin:/usr/bin");
    return QString::fromLocal8Bit(buffer.constData());
}

bool IsExecutableFile(const QString &APath)
{
    const QFileInfo info(APath);
    return info.isFile() && info.isExecutable();
}

} // namespace

QString FindProgram(const QString &AName)
{
    if (AName.isEmpty())
        return QString();
    if (AName.contains(QLatin1Char('/'))) {
        const QString path = QDir::cleanPath(QDir::current().absoluteFilePath(AName));
        return IsExecutableFile(path) ? path : QString();
    }
    QStringList folders{ExecutableFolder()};
    for (const QString &folder : SearchPath().split(QLatin1Char(':')))
        folders << (folder.isEmpty() ? QStringLiteral(".") : folder);
    for (const QString &folder : folders) {
        const QString candidate = QDir(folder).absoluteFilePath(AName);
        if (IsExecutableFile(candidate))
            return QDir::cleanPath(candidate);
    }
    return QString();
}

} // namespace Platform
