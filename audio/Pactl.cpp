#include "audio/Pactl.h"

#include "audio/SoundServerError.h"

#include <QJsonDocument>
#include <QProcess>

namespace {

constexpr int PactlTimeoutMs = 10000;

bool NamesNoServer(const QString &AError)
{
    return AError.contains(QLatin1String("Connection failure")) || AError.contains(QLatin1String("Connection refused"))
           || AError.contains(QLatin1String("No such file or directory"));
}

} // namespace

namespace Pactl {

QString Run(const QStringList &AArguments)
{
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), AArguments);
    if (!pactl.waitForStarted(PactlTimeoutMs))
        throw ESoundServerError("The sound server's client \"pactl\" (pulseaudio-utils) cannot be started.");
    pactl.closeWriteChannel();
    if (!pactl.waitForFinished(PactlTimeoutMs)) {
        pactl.kill();
        pactl.waitForFinished();
        throw ESoundServerError::NoAnswer();
    }
    const QString error = QString::fromUtf8(pactl.readAllStandardError()).trimmed();
    if (pactl.exitStatus() != QProcess::NormalExit || pactl.exitCode() != 0) {
        if (NamesNoServer(error))
            throw ESoundServerError::NoServer();
        throw ESoundServerError(("The sound server refused \"pactl " + AArguments.join(QLatin1Char(' ')) + "\": " + error)
                                    .toStdString());
    }
    return QString::fromUtf8(pactl.readAllStandardOutput());
}

QJsonArray List(const QString &AWhat)
{
    const QString text = Run({QStringLiteral("--format=json"), QStringLiteral("list"), AWhat});
    return QJsonDocument::fromJson(text.toUtf8()).array();
}

} // namespace Pactl
