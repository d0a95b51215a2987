#include "online/ClientIdentity.h"

#include "identity/AppIdentity.h"
#include "online/OSDescription.h"

#include <QSysInfo>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace {

// A computer name holds at most 15 characters.
constexpr qsizetype ComputerNameLength = 15;

} // namespace

QString ReadComputerName()
{
    // Linux host names have at most 64 bytes; the last byte stays the terminator.
    char buffer[256] = {};
    if (gethostname(buffer, sizeof buffer - 1) != 0)
        return {};
    return QString::fromLocal8Bit(buffer).left(ComputerNameLength);
}

QString UserNameOf(unsigned AUid)
{
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(static_cast<size_t>(size > 0 ? size : 16384));
    struct passwd entry = {};
    struct passwd *found = nullptr;
    if (getpwuid_r(AUid, &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_name
        || !*found->pw_name)
        return QStringLiteral("Unknown");
    return QString::fromLocal8Bit(found->pw_name);
}

QString ReadUserName()
{
    return UserNameOf(getuid());
}

QString ReadMachineGuid()
{
    return QString::fromLatin1(QSysInfo::machineUniqueId());
}

QString LocaleTagOf(const QLocale &ALocale)
{
    if (ALocale.language() == QLocale::C)
        return QStringLiteral("en-US");
    // name() gives "ll_CC", the territory filled in when the locale names none.
    return ALocale.name().replace(QLatin1Char('_'), QLatin1Char('-'));
}

QString LocaleTag()
{
    static const QString tag = LocaleTagOf(QLocale::system());
    return tag;
}

QStringList ClientIdentityFields()
{
    return {
        QStringLiteral("appname=") + AppTitle,
        QStringLiteral("version=") + AppVersion,
        QStringLiteral("computername=") + ReadComputerName(),
        QStringLiteral("username=") + ReadUserName(),
        QStringLiteral("os=") + OSDescription(),
        QStringLiteral("local=") + LocaleTag(),
        QStringLiteral("guid=") + ReadMachineGuid(),
    };
}
