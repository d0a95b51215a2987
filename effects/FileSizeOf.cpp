#include "effects/FileSizeOf.h"

#include <QFileInfo>

qint64 FileSizeOf(const QString &AFileName)
{
    const QFileInfo info(AFileName);
    if (!info.exists())
        return -1;
    return info.isFile() ? info.size() : 0;
}

bool FileExists(const QString &AFileName)
{
    return QFileInfo(AFileName).isFile();
}
