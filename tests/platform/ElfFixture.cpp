#include "ElfFixture.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryFile>
#include <stdexcept>

namespace ElfFixture {

namespace {

void RunObjcopy(const QStringList &AArguments)
{
    QProcess objcopy;
    objcopy.setProcessChannelMode(QProcess::MergedChannels);
    objcopy.start(QStringLiteral("objcopy"), AArguments);
    if (!objcopy.waitForFinished(30000) || objcopy.exitStatus() != QProcess::NormalExit || objcopy.exitCode() != 0)
        throw std::runtime_error("objcopy " + AArguments.join(QLatin1Char(' ')).toStdString()
                                 + " failed: " + objcopy.readAll().toStdString() + objcopy.errorString().toStdString());
}

// The section's contents as a file objcopy can read; removed with the object.
std::unique_ptr<QTemporaryFile> DataFile(const QByteArray &AData)
{
    auto file = std::make_unique<QTemporaryFile>();
    if (!file->open() || file->write(AData) != AData.size() || !file->flush())
        throw std::runtime_error("cannot write the section data");
    return file;
}

} // namespace

void CopyWithSection(const QString &ASource, const QString &ATarget, const QByteArray &ASectionData,
                     const QString &ASectionName)
{
    const auto data = DataFile(ASectionData);
    RunObjcopy({QStringLiteral("--add-section"), ASectionName + QLatin1Char('=') + data->fileName(), ASource, ATarget});
}

void WriteObjectWithSection(const QString &ATarget, const QString &AFormat, const QByteArray &ASectionData,
                            const QString &ASectionName)
{
    const auto data = DataFile(ASectionData);
    RunObjcopy({QStringLiteral("-I"), QStringLiteral("binary"), QStringLiteral("-O"), AFormat,
                QStringLiteral("--rename-section"), QStringLiteral(".data=") + ASectionName, data->fileName(),
                ATarget});
}

} // namespace ElfFixture
