#include "app/ResultSaver.h"

#include "app/ExternalTool.h"
#include "app/FileSizeOf.h"
#include "app/RunAndWait.h"
#include "platform/CommandLine.h"
#include "platform/ExecutableFolder.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cstring>

namespace {

bool Fail(QString *AWhy, const QString &AReason)
{
    if (AWhy)
        *AWhy = AReason;
    return false;
}

bool CopyContents(QFile &ASource, QSaveFile &ATarget)
{
    constexpr qint64 ChunkSize = 1 << 16;
    while (!ASource.atEnd()) {
        const QByteArray chunk = ASource.read(ChunkSize);
        if (chunk.isEmpty() && ASource.error() != QFileDevice::NoError)
            return false;
        if (ATarget.write(chunk) != chunk.size())
            return false;
    }
    return true;
}

QString ToolName()
{
    return QLatin1String(ExternalToolProgram);
}

} // namespace

bool SaveAsWav(const QString &AWorkFile, const QString &ATarget, QString *AWhy)
{
    if (!FileExists(AWorkFile))
        return Fail(AWhy, QStringLiteral("there is no result to save: %1").arg(AWorkFile));
    QFile source(AWorkFile);
    if (!source.open(QIODevice::ReadOnly))
        return Fail(AWhy, QStringLiteral("cannot read %1: %2").arg(AWorkFile, source.errorString()));
    QSaveFile target(ATarget);
    if (!target.open(QIODevice::WriteOnly))
        return Fail(AWhy, QStringLiteral("cannot write %1: %2").arg(ATarget, target.errorString()));
    if (!CopyContents(source, target)) {
        target.cancelWriting();
        return Fail(AWhy, QStringLiteral("cannot copy to %1: %2").arg(ATarget, target.errorString()));
    }
    if (!target.commit())
        return Fail(AWhy, QStringLiteral("cannot write %1: %2").arg(ATarget, target.errorString()));
    return true;
}

QString Mp3ConversionCommand(const QString &AWorkFile, const QString &ATarget)
{
    return ToolName() + QStringLiteral(" -y -i ") + Platform::QuoteArgument(AWorkFile) + QLatin1Char(' ')
           + Platform::QuoteArgument(ATarget);
}

bool SaveAsMp3(const QString &AWorkFile, const QString &ATarget, QString *AWhy)
{
    // The tool runs in the executable's folder: relative names must not move there.
    const QString target = QFileInfo(ATarget).absoluteFilePath();
    const QString command = Mp3ConversionCommand(QFileInfo(AWorkFile).absoluteFilePath(), target);
    const TRunAndWaitResult result = RunAndWait(command, Platform::ExecutableFolder());
    if (!result.Started)
        return Fail(
            AWhy,
            QStringLiteral("cannot start %1: %2").arg(ToolName(), QString::fromLocal8Bit(strerror(result.StartError))));
    if (result.ExitCode != 0)
        return Fail(AWhy, QStringLiteral("%1 failed with exit code %2").arg(ToolName()).arg(result.ExitCode));
    if (FileSizeOf(target) <= 0)
        return Fail(AWhy, QStringLiteral("%1 wrote nothing to %2").arg(ToolName(), target));
    return true;
}
