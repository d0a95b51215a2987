#pragma once

#include <QSettings>
#include <QString>

// The per-user settings of the application (QSettings of "Quillaby"/"Tonara":
// an INI file under $XDG_CONFIG_HOME on Linux, the registry on Windows). Values
// are stored as strings, in sections. One store per process, opened on first
// use and kept open until the process ends; the update check and the main
// window never use it at the same time.
class TSettingsStore
{
public:
    QString ReadString(const QString &ASection, const QString &AName, const QString &ADefault) const;
    void WriteString(const QString &ASection, const QString &AName, const QString &AValue);

private:
    QSettings FSettings{QStringLiteral("Quillaby"), QStringLiteral("Tonara")};
};

TSettingsStore &SettingsStore();
