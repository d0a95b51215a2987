#include "effects/FileBesideTarget.h"

#include "platform/FileName.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int NameAttempts = 100;

QByteArray Encoded(const QString &APath)
{
    return Platform::EncodeFileName(APath);
}

} // namespace

TFileBesideTarget::TFileBesideTarget(const QString &ATarget)
    : FTarget(QFileInfo(ATarget).absoluteFilePath())
{}

TFileBesideTarget::~TFileBesideTarget()
{
    if (!FPath.isEmpty())
        unlink(Encoded(FPath).constData());
}

bool TFileBesideTarget::Create()
{
    // Hidden, and named after the target, so a left-over is easy to place.
    const QFileInfo target(FTarget);
    for (int attempt = 0; attempt < NameAttempts; ++attempt) {
        const QString path = target.path() + QStringLiteral("/.") + target.fileName() + QLatin1Char('.')
                             + QString::number(QRandomGenerator::global()->generate(), 36);
        // 0666 less the umask, as for any new file the user makes.
        const int fd = open(Encoded(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            close(fd);
            FPath = path;
            return true;
        }
        FError = errno;
        if (FError != EEXIST)
            return false;
    }
    return false;
}

bool TFileBesideTarget::ReplaceTarget()
{
    struct stat existing
    {};
    if (stat(Encoded(FTarget).constData(), &existing) == 0)
        chmod(Encoded(FPath).constData(), existing.st_mode & 07777);
    if (rename(Encoded(FPath).constData(), Encoded(FTarget).constData()) != 0) {
        FError = errno;
        return false;
    }
    FPath.clear();
    return true;
}

QString TFileBesideTarget::ErrorText() const
{
    return QString::fromLocal8Bit(strerror(FError));
}
