#include "effects/SaveTarget.h"

#include "platform/FileKind.h"

#include <cstring>

namespace {

QString KindText(Platform::TFileKind AKind)
{
    switch (AKind) {
    case Platform::TFileKind::Directory:
        return QStringLiteral("a folder");
    case Platform::TFileKind::Fifo:
        return QStringLiteral("a named pipe (FIFO)");
    case Platform::TFileKind::CharacterDevice:
        return QStringLiteral("a character device");
    case Platform::TFileKind::BlockDevice:
        return QStringLiteral("a block device");
    case Platform::TFileKind::Socket:
        return QStringLiteral("a socket");
    default:
        return QStringLiteral("a special file");
    }
}

} // namespace

QString SaveTargetRefusal(const QString &ATarget)
{
    int error = 0;
    const Platform::TFileKind kind = Platform::FileKindOf(ATarget, &error);
    if (kind == Platform::TFileKind::Missing || kind == Platform::TFileKind::Regular)
        return QString();
    if (kind == Platform::TFileKind::Unknown)
        return QStringLiteral("The output \"%1\" cannot be checked: %2.")
            .arg(ATarget, QString::fromLocal8Bit(strerror(error)));
    return QStringLiteral("The output \"%1\" is %2, not a regular file; nothing is saved there.")
        .arg(ATarget, KindText(kind));
}

QString SaveTargetFile(const QString &ATarget)
{
    return Platform::FinalLinkTarget(ATarget);
}
