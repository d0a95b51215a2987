#include "identity/SettingsStore.h"

namespace {

QString Key(const QString &ASection, const QString &AName)
{
    return ASection + QLatin1Char('/') + AName;
}

} // namespace

QString TSettingsStore::ReadString(const QString &ASection, const QString &AName, const QString &ADefault) const
{
    return FSettings.value(Key(ASection, AName), ADefault).toString();
}

bool TSettingsStore::WriteString(const QString &ASection, const QString &AName, const QString &AValue)
{
    FSettings.setValue(Key(ASection, AName), AValue);
    FSettings.sync(); // on disk at once: another process may read it before we end
    return FSettings.status() == QSettings::NoError;
}

TSettingsStore &SettingsStore()
{
    static TSettingsStore store;
    return store;
}
