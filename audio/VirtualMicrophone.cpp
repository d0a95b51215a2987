#include "audio/VirtualMicrophone.h"

#include "audio/Pactl.h"
#include "audio/SoundServerError.h"
#include "platform/ProcessStartTime.h"

#include <QJsonObject>

namespace {

const QString SinksList = QStringLiteral("sinks");
const QString SourcesList = QStringLiteral("sources");

QString OwnerOf(const QJsonObject &ADevice)
{
    return ADevice.value(QLatin1String("properties"))
        .toObject()
        .value(QLatin1String(TVirtualMicrophone::OwnerProperty))
        .toString();
}

QString ModuleOf(const QJsonObject &ADevice)
{
    return QString::number(ADevice.value(QLatin1String("owner_module")).toInteger());
}

// The sink or source AName, or an empty object.
QJsonObject DeviceNamed(const QString &AWhat, const QString &AName)
{
    for (const auto &item : Pactl::List(AWhat))
        if (item.toObject().value(QLatin1String("name")).toString() == AName)
            return item.toObject();
    return {};
}

QString PropertiesArgument(const QString &AKind, const QString &ADescription, const QString &AOwner)
{
    return QStringLiteral("%1_properties='device.description=\"%2\" %3=%4'")
        .arg(AKind, ADescription, QLatin1String(TVirtualMicrophone::OwnerProperty), AOwner);
}

void Unload(const QString &AModule) noexcept
{
    try {
        Pactl::Run({QStringLiteral("unload-module"), AModule});
    } catch (const ESoundServerError &) {
        // Gone already, or the server with it: nothing is left to remove.
    }
}

} // namespace

TVirtualMicrophone::TVirtualMicrophone()
    : FOwner(Platform::ProcessIdentity())
{
    ClearOthers(SourcesList, QLatin1String(SourceName));
    ClearOthers(SinksList, QLatin1String(SinkName));
    Load();
}

TVirtualMicrophone::~TVirtualMicrophone()
{
    Remove();
}

void TVirtualMicrophone::Remove() noexcept
{
    if (!FLoaded)
        return;
    FLoaded = false;
    try {
        for (const QString &what : {SourcesList, SinksList}) {
            const QJsonObject device = DeviceNamed(what, what == SinksList ? SinkName : SourceName);
            if (!device.isEmpty() && OwnerOf(device) == FOwner)
                Unload(ModuleOf(device));
        }
    } catch (const ESoundServerError &) {
        // No server: it took the devices with it.
    }
}

// A device of that name made by a Tonara that is gone is removed; any other
// holder keeps it and live voice does not start.
void TVirtualMicrophone::ClearOthers(const QString &AWhat, const QString &AName) const
{
    const QJsonObject device = DeviceNamed(AWhat, AName);
    if (device.isEmpty())
        return;
    const QString owner = OwnerOf(device);
    if (owner.isEmpty())
        throw ESoundServerError(
            QStringLiteral("The sound server already has a device named \"%1\" that Tonara did not make.")
                .arg(AName)
                .toStdString());
    if (owner != FOwner && Platform::ProcessIdentityAlive(owner))
        throw ESoundServerError(QStringLiteral("%1 is in use by another Tonara (process %2).")
                                    .arg(QLatin1String(Description), owner.section(QLatin1Char(':'), 0, 0))
                                    .toStdString());
    Unload(ModuleOf(device));
}

void TVirtualMicrophone::Load()
{
    LoadModule(
        {QStringLiteral("module-null-sink"), QStringLiteral("sink_name=") + SinkName,
         PropertiesArgument(QStringLiteral("sink"), QStringLiteral("Tonara Microphone feed"), FOwner)},
        SinksList, QLatin1String(SinkName));
    FLoaded = true;
    try {
        LoadModule({QStringLiteral("module-remap-source"),
                    QStringLiteral("master=%1.monitor").arg(QLatin1String(SinkName)),
                    QStringLiteral("source_name=") + SourceName,
                    PropertiesArgument(QStringLiteral("source"), QLatin1String(Description), FOwner)},
                   SourcesList, QLatin1String(SourceName));
    } catch (...) {
        Remove();
        throw;
    }
}

// Loads a module and checks that its device got the name asked for: the server
// renames a second device of a taken name ("name.2") instead of refusing it,
// which is how two Tonaras starting at once would otherwise both go on.
void TVirtualMicrophone::LoadModule(const QStringList &AArguments, const QString &AWhat, const QString &AName)
{
    const QString module = Pactl::Run(QStringList{QStringLiteral("load-module")} + AArguments).trimmed();
    const QJsonObject device = DeviceNamed(AWhat, AName);
    if (device.isEmpty() || ModuleOf(device) != module) {
        Unload(module);
        throw ESoundServerError(
            QStringLiteral("%1 is in use by another Tonara.").arg(QLatin1String(Description)).toStdString());
    }

}
