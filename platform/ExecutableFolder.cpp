#include "platform/ExecutableFolder.h"

#include <QDir>
#include <QFileInfo>

namespace Platform {

QString ExecutablePath()
{
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

QString ExecutableFolder()
{
    QString folder = QFileInfo(ExecutablePath()).absolutePath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

} // namespace Platform
