#pragma once

#include <QSettings>
#include <QString>

// The per-user settings of the application (QSettings of "Quillaby"/"Tonara":
// an INI file under $XDG_CONFIG_HOME on Linux, the registry on Windows). Values
// are stored as strings, in sections. A store is used by one thread only: the
// window's is SettingsStore(), the update check opens its own on its thread.
// Qt keeps stores of the same file in one process consistent.
class TSettingsStore
{
public:
    QString ReadString(const QString &ASection, const QString &AName, const QString &ADefault) const;
    // Written to disk at once; false when that failed (a read-only folder, a
    // folder standing where the file belongs). QSettings keeps its first error,
    // so after one failure every later write of this store reports one too.
    bool WriteString(const QString &ASection, const QString &AName, const QString &AValue);

private:
    QSettings FSettings{QStringLiteral("Quillaby"), QStringLiteral("Tonara")};
};

// The GUI thread's store, opened on first use and kept until the process ends.
TSettingsStore &SettingsStore();
