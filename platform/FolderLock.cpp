#include "platform/FolderLock.h"

#include "platform/FileName.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace Platform {

TFolderLock::~TFolderLock()
{
    if (FFd >= 0)
        close(FFd);
}

bool TFolderLock::TryLock(const QString &AFolder)
{
    if (FFd >= 0)
        return true;
    const int fd = open(EncodeFileName(AFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int result;
    while ((result = flock(fd, LOCK_EX | LOCK_NB)) < 0 && errno == EINTR) {
    }
    if (result < 0) {
        close(fd);
        return false;
    }
    FFd = fd;
    return true;
}

} // namespace Platform
