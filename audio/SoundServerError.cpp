#include "audio/SoundServerError.h"

#include <pulse/def.h>
#include <pulse/error.h>

ESoundServerError ESoundServerError::OfStream(int AError, const QString &ADevice, const char *AKind)
{
    QString message;
    switch (AError) {
    case PA_ERR_CONNECTIONREFUSED:
    case PA_ERR_INVALIDSERVER:
        return NoServer();
    case PA_ERR_NOENTITY:
        // No name: the server's default was asked for, and it has none.
        message = ADevice.isEmpty() ? QStringLiteral("The sound server has no %1.").arg(QLatin1String(AKind))
                                    : QStringLiteral("The %1 \"%2\" was not found.").arg(QLatin1String(AKind), ADevice);
        break;
    default:
        message = QStringLiteral("The sound server refused the %1: %2.")
                      .arg(QLatin1String(AKind), QString::fromUtf8(pa_strerror(AError)));
    }
    return ESoundServerError(message.toStdString());
}

ESoundServerError ESoundServerError::NoServer()
{
    return ESoundServerError("No sound server is running: Tonara needs PulseAudio or PipeWire for sound.");
}

ESoundServerError ESoundServerError::NoAnswer()
{
    return ESoundServerError("The sound server does not answer.");
}
