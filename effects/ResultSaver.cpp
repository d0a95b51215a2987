#include "effects/ResultSaver.h"

#include "effects/ExternalTool.h"
#include "effects/FileBesideTarget.h"
#include "effects/FileSizeOf.h"
#include "effects/RunAndWait.h"
#include "effects/SaveTarget.h"
#include "platform/CommandLine.h"
#include "platform/ExecutableFolder.h"
#include "platform/FileName.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool Fail(QString *AWhy, const QString &AReason)
{
    if (AWhy)
        *AWhy = AReason;
    return false;
}

bool CopyContents(QFile &ASource, QFile &ATarget)
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
    const QString refusal = SaveTargetRefusal(ATarget);
    if (!refusal.isEmpty())
        return Fail(AWhy, refusal);
    QFile source(AWorkFile);
    if (!source.open(QIODevice::ReadOnly))
        return Fail(AWhy, QStringLiteral("cannot read %1: %2").arg(AWorkFile, source.errorString()));
    // Written beside the target and renamed over it, opened by the name's own bytes.
    TFileBesideTarget copy(SaveTargetFile(QFileInfo(ATarget).absoluteFilePath()));
    if (!copy.Create())
        return Fail(AWhy, QStringLiteral("cannot write beside %1: %2").arg(ATarget, copy.ErrorText()));
    QFile target;
    const int fd = ::open(Platform::EncodeFileName(copy.Path()).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0 || !target.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            ::close(fd);
        return Fail(AWhy, QStringLiteral("cannot write %1: %2").arg(ATarget, QString::fromLocal8Bit(strerror(errno))));
    }
    const bool copied = CopyContents(source, target) && target.flush();
    const QString copyError = target.errorString();
    target.close();
    if (!copied)
        return Fail(AWhy, QStringLiteral("cannot copy to %1: %2").arg(ATarget, copyError));
    if (!copy.ReplaceTarget())
        return Fail(AWhy, QStringLiteral("cannot replace %1: %2").arg(ATarget, copy.ErrorText()));
    return true;
}

QString Mp3ConversionCommand(const QString &AWorkFile, const QString &ATarget)
{
    return ToolName() + QStringLiteral(" -y -xerror -i ") + Platform::QuoteArgument(AWorkFile)
           + QStringLiteral(" -f mp3 ") + Platform::QuoteArgument(ATarget);
}

bool SaveAsMp3(const QString &AWorkFile, const QString &ATarget, QString *AWhy, int AStopFd)
{
    const QString refusal = SaveTargetRefusal(ATarget);
    if (!refusal.isEmpty())
        return Fail(AWhy, refusal);
    // The tool runs in the executable's folder: relative names must not move there.
    const QString target = SaveTargetFile(QFileInfo(ATarget).absoluteFilePath());
    TFileBesideTarget converted(target);
    if (!converted.Create())
        return Fail(AWhy, QStringLiteral("cannot write beside %1: %2").arg(target, converted.ErrorText()));
    const QString command = Mp3ConversionCommand(QFileInfo(AWorkFile).absoluteFilePath(), converted.Path());
    const TRunAndWaitResult result = RunAndWait(command, Platform::ExecutableFolder(), AStopFd);
    if (!result.Started)
        return Fail(
            AWhy,
            QStringLiteral("cannot start %1: %2").arg(ToolName(), QString::fromLocal8Bit(strerror(result.StartError))));
    if (result.Stopped)
        return Fail(AWhy, QStringLiteral("the conversion was stopped"));
    if (result.ExitCode != 0)
        return Fail(AWhy, QStringLiteral("%1 failed with exit code %2").arg(ToolName()).arg(result.ExitCode));
    if (FileSizeOf(converted.Path()) <= 0)
        return Fail(AWhy, QStringLiteral("%1 wrote nothing to %2").arg(ToolName(), target));
    if (!converted.ReplaceTarget())
        return Fail(AWhy, QStringLiteral("cannot replace %1: %2").arg(target, converted.ErrorText()));
    return true;
}
