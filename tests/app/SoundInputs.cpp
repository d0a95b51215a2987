#include "SoundInputs.h"

#include "AudioFiles.h"

#include <QProcess>

namespace SoundInputs {

int Run(const QString &AProgram, const QStringList &AArguments, QByteArray *AOutput)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(AProgram, AArguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    if (AOutput)
        *AOutput = process.readAll();
    return process.exitCode();
}

bool Make(const QString &APath, double ASeconds, const QString &ASource)
{
    const QString source = QStringLiteral("%1=duration=%2").arg(ASource).arg(ASeconds);
    return RunFfmpeg({QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                      QStringLiteral("lavfi"), QStringLiteral("-i"), source, QStringLiteral("-ac"), QStringLiteral("2"),
                      QStringLiteral("-ar"), QStringLiteral("44100"), APath})
               .ExitCode
           == 0;
}

TProbe Probe(const QString &APath)
{
    QByteArray output;
    const int code = Run(QStringLiteral("ffprobe"),
                         {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                          QStringLiteral("format=format_name,duration"), QStringLiteral("-of"),
                          QStringLiteral("default=noprint_wrappers=1"), APath},
                         &output);
    TProbe probe;
    if (code != 0)
        return probe;
    for (const QByteArray &line : output.split('\n')) {
        if (line.startsWith("format_name="))
            probe.FormatName = QString::fromUtf8(line.mid(12));
        else if (line.startsWith("duration="))
            probe.Duration = line.mid(9).toDouble();
    }
    return probe;
}

QStringList AwkwardNames()
{
    return {QStringLiteral("two words"),     QStringLiteral("it's"),         QStringLiteral("say \"hi\""),
            QStringLiteral("$HOME and ;|&"), QStringLiteral("Müller Ærø ✓"), QStringLiteral("back\\slash\\")};
}

} // namespace SoundInputs
