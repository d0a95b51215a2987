#include "effects/FileSizeOf.h"

#include "platform/FileName.h"

#include <sys/stat.h>

// Asked by the name's bytes, so a name that is not UTF-8 is found too.
qint64 FileSizeOf(const QString &AFileName)
{
    struct stat status
    {};
    if (::stat(Platform::EncodeFileName(AFileName).constData(), &status) != 0)
        return -1;
    return S_ISREG(status.st_mode) ? qint64(status.st_size) : 0;
}

bool FileExists(const QString &AFileName)
{
    struct stat status
    {};
    return ::stat(Platform::EncodeFileName(AFileName).constData(), &status) == 0 && S_ISREG(status.st_mode);
}
