#include "AudioFiles.h"

#include <QFileInfo>
#include <QProcess>

TFfmpegRun RunFfmpeg(const QStringList &AArguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QStringLiteral("ffmpeg"), AArguments);
    TFfmpegRun run;
    if (!process.waitForFinished(60000))
        return run;
    run.Output = process.readAll();
    if (process.exitStatus() == QProcess::NormalExit)
        run.ExitCode = process.exitCode();
    return run;
}

bool WriteSineWav(const QString &APath, double ASeconds)
{
    const TFfmpegRun run =
        RunFfmpeg({QStringLiteral("-hide_banner"), QStringLiteral("-y"), QStringLiteral("-f"), QStringLiteral("lavfi"),
                   QStringLiteral("-i"), QStringLiteral("sine=frequency=440:duration=%1").arg(ASeconds), APath});
    return run.ExitCode == 0 && QFileInfo(APath).size() > 0;
}
