#include "effects/ResultSaver.h"

#include "effects/ExternalTool.h"
#include "effects/FileBesideTarget.h"
#include "effects/FileSizeOf.h"
#include "effects/RunAndWait.h"
#include "effects/SaveTarget.h"
#include "effects/WavCopy.h"
#include "platform/CommandLine.h"
#include "platform/ExecutableFolder.h"

#include <QFileInfo>
#include <cstring>

namespace {

bool Fail(QString *AWhy, const QString &AReason)
{
    if (AWhy)
        *AWhy = AReason;
    return false;
}

QString ToolName()
{
    return QLatin1String(ExternalToolProgram);
}

} // namespace

bool SaveAsWav(const QString &AWorkFile, const QString &ATarget, QString *AWhy)
{
    TWavCopy copy;
    return copy.Open(AWorkFile, ATarget, AWhy) && copy.CopyAll(AWhy);
}

QString Mp3ConversionCommand(const QString &AWorkFile, const QString &ATarget)
{
    return ToolName() + QStringLiteral(" -y -xerror -i ") + Platform::QuoteArgument(AWorkFile)
           + QStringLiteral(" -f mp3 ") + Platform::QuoteArgument(ATarget);
}

std::unique_ptr<TFileBesideTarget> CreateMp3BesideTarget(const QString &ATarget, QString *AWhy)
{
    const QString refusal = SaveTargetRefusal(ATarget);
    if (!refusal.isEmpty()) {
        Fail(AWhy, refusal);
        return nullptr;
    }
    // A link stays: the file it points to is replaced.
    auto converted = std::make_unique<TFileBesideTarget>(SaveTargetFile(ATarget));
    if (converted->Create())
        return converted;
    Fail(AWhy, QStringLiteral("cannot write beside %1: %2").arg(ATarget, converted->ErrorText()));
    return nullptr;
}

bool ConcludeMp3Conversion(const TRunAndWaitResult &AResult, TFileBesideTarget &AConverted, const QString &ATarget,
                           QString *AWhy)
{
    if (!AResult.Started)
        return Fail(
            AWhy,
            QStringLiteral("cannot start %1: %2").arg(ToolName(), QString::fromLocal8Bit(strerror(AResult.StartError))));
    if (AResult.Stopped)
        return Fail(AWhy, QStringLiteral("the conversion was stopped"));
    if (AResult.ExitCode != 0)
        return Fail(AWhy, QStringLiteral("%1 failed with exit code %2").arg(ToolName()).arg(AResult.ExitCode));
    if (FileSizeOf(AConverted.Path()) <= 0)
        return Fail(AWhy, QStringLiteral("%1 wrote nothing to %2").arg(ToolName(), ATarget));
    if (!AConverted.ReplaceTarget())
        return Fail(AWhy, QStringLiteral("cannot replace %1: %2").arg(ATarget, AConverted.ErrorText()));
    return true;
}

bool SaveAsMp3(const QString &AWorkFile, const QString &ATarget, QString *AWhy, int AStopFd)
{
    // The tool runs in the executable\'s folder: relative names must not move there.
    const QString target = QFileInfo(ATarget).absoluteFilePath();
    const std::unique_ptr<TFileBesideTarget> converted = CreateMp3BesideTarget(target, AWhy);
    if (!converted)
        return false;
    const QString command = Mp3ConversionCommand(QFileInfo(AWorkFile).absoluteFilePath(), converted->Path());
    return ConcludeMp3Conversion(RunAndWait(command, Platform::ExecutableFolder(), AStopFd), *converted, target, AWhy);
}
