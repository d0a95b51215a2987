#include "platform/UserDataFolder.h"

#include "platform/FileName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Platform {

namespace {

QString HomeFolder()
{
    const QString home = qEnvironmentVariable("HOME");
    if (QDir::isAbsolutePath(home))
        return home;
    if (const passwd *entry = getpwuid(getuid()); entry && entry->pw_dir && entry->pw_dir[0] == '/')
        return QString::fromLocal8Bit(entry->pw_dir);
    return QString();
}

QString LookUpDataFolder()
{
    // A relative XDG_DATA_HOME is invalid by the XDG rules and is ignored.
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    if (QDir::isAbsolutePath(xdg))
        return QDir::cleanPath(xdg);
    const QString home = HomeFolder();
    if (home.isEmpty())
        return QString();
    return QDir::cleanPath(home + QStringLiteral("/.local/share"));
}

// Creates APath and its missing parents, readable by the user only.
void CreatePath(const QString &APath)
{
    if (APath.isEmpty() || QFileInfo(APath).isDir())
        return;
    CreatePath(QFileInfo(APath).path());
    mkdir(EncodeFileName(APath).constData(), 0700);
}

} // namespace

QString UserDataFolder()
{
    const QString folder = LookUpDataFolder();
    CreatePath(folder);
    return folder;
}

} // namespace Platform
