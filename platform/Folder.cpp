#include "platform/Folder.h"

#include "platform/FileName.h"
#include "platform/OSError.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <sys/stat.h>

namespace Platform {

bool FolderExists(const QString &APath)
{
    return QFileInfo(APath).isDir();
}

void CreateFolder(const QString &APath)
{
    if (mkdir(EncodeFileName(APath).constData(), 0777) != 0)
        throw EOSError(errno, APath);
}

} // namespace Platform
