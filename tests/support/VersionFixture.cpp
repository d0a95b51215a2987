#include "support/VersionFixture.h"

#include "platform/VersionResource.h"
#include "support/ElfFixture.h"

#include <QDir>

namespace VersionFixture {

QString TonaraExecutable()
{
    return QStringLiteral(TONARA_EXECUTABLE);
}

QString ExecutableWithBlock(const QString &AFolder, const QString &AName, const TVersionBlockBuilder &ABuilder)
{
    const QString path = QDir(AFolder).filePath(AName);
    ElfFixture::CopyWithSection(QStringLiteral("/bin/true"), path, ABuilder.Build(),
                                QLatin1String(Platform::VersionSectionName));
    return path;
}

} // namespace VersionFixture
