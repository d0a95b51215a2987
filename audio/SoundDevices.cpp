#include "audio/SoundDevices.h"

#include "audio/Pactl.h"
#include "audio/VirtualMicrophone.h"

#include <QJsonObject>

namespace SoundDevices {

QList<TSoundDevice> Inputs()
{
    const QString defaultName = Pactl::Run({QStringLiteral("get-default-source")}).trimmed();
    QList<TSoundDevice> inputs;
    for (const auto &item : Pactl::List(QStringLiteral("sources"))) {
        const QJsonObject source = item.toObject();
        const TSoundDevice device = {source.value(QLatin1String("name")).toString(),
                                     source.value(QLatin1String("description")).toString()};
        // pactl's JSON names the monitored sink under "monitor_source"; empty for a real source.
        if (!source.value(QLatin1String("monitor_source")).toString().isEmpty()
            || device.Name == QLatin1String(TVirtualMicrophone::SourceName))
            continue;
        if (device.Name == defaultName)
            inputs.prepend(device);
        else
            inputs.append(device);
    }
    return inputs;
}

} // namespace SoundDevices
