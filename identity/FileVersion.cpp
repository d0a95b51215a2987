#include "identity/FileVersion.h"

#include "identity/VersionBlock.h"
#include "platform/OSError.h"
#include "platform/VersionResource.h"

quint32 GetFileVersion(const QString &AFileName)
{
    quint32 versionMS = 0xFFFFFFFF;
    try {
        TVersionBlock(Platform::LoadVersionBlock(AFileName)).QueryFileVersionMS(versionMS);
    } catch (const EOSError &) {
        // Unreadable or missing block: the version keeps all bits set.
    }
    return versionMS;
}

QString FormatAppVersion(quint32 AVersionMS)
{
    return QStringLiteral("%1.%2").arg(AVersionMS >> 16).arg(AVersionMS & 0xFFFF);
}
