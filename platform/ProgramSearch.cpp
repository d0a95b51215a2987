#include "platform/ProgramSearch.h"

#include "platform/ExecutableFolder.h"

#include <QDir>
#include <QFileInfo>

namespace Platform {

namespace {

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
    const QString path = qEnvironmentVariable("PATH");
    for (const QString &folder : path.split(QLatin1Char(':')))
        folders << (folder.isEmpty() ? QStringLiteral(".") : folder);
    for (const QString &folder : folders) {
        const QString candidate = QDir(folder).absoluteFilePath(AName);
        if (IsExecutableFile(candidate))
            return QDir::cleanPath(candidate);
    }
    return QString();
}

} // namespace Platform
