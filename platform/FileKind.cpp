#include "platform/FileKind.h"

#include "platform/FileName.h"


#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Platform {

namespace {

// As many links as the system follows in one path before it gives up (ELOOP).
constexpr int MaxLinks = 40;

TFileKind KindOfMode(mode_t AMode)
{
    if (S_ISREG(AMode))
        return TFileKind::Regular;
    if (S_ISDIR(AMode))
        return TFileKind::Directory;
    if (S_ISFIFO(AMode))
        return TFileKind::Fifo;
    if (S_ISCHR(AMode))
        return TFileKind::CharacterDevice;
    if (S_ISBLK(AMode))
        return TFileKind::BlockDevice;
    if (S_ISSOCK(AMode))
        return TFileKind::Socket;
    return TFileKind::Other;
}

} // namespace

TFileKind FileKindOf(const QString &APath, int *AError)
{
    struct stat status
    {};
    if (::stat(EncodeFileName(APath).constData(), &status) == 0)
        return KindOfMode(status.st_mode);
    const int error = errno;
    if (error == ENOENT)
        return TFileKind::Missing;
    if (AError)
        *AError = error;
    return TFileKind::Unknown;
}

QString FinalLinkTarget(const QString &APath)
{
    QByteArray path = EncodeFileName(APath);
    for (int link = 0; link < MaxLinks; ++link) {
        char target[4096];
        const ssize_t length = ::readlink(path.constData(), target, sizeof target);
        if (length <= 0 || size_t(length) >= sizeof target)
            break;
        // A relative link is taken from the folder the link stands in.
        const qsizetype slash = path.lastIndexOf('/');
        const QByteArray read(target, length);
        path = read.startsWith('/') || slash < 0 ? read : path.left(slash + 1) + read;
    }
    return DecodeFileName(path);
}

QStringList RegularFilesIn(const QString &AFolder)
{
    QStringList names;
    DIR *folder = ::opendir(EncodeFileName(AFolder).constData());
    if (!folder)
        return names;
    const QString prefix = AFolder.endsWith(QLatin1Char('/')) ? AFolder : AFolder + QLatin1Char('/');
    while (const dirent *entry = ::readdir(folder)) {
        const QString name = DecodeFileName(QByteArray(entry->d_name));
        if (FileKindOf(prefix + name) == TFileKind::Regular)
            names << name;
    }
    ::closedir(folder);
    return names;
}

} // namespace Platform
