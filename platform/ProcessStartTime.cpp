#include "platform/ProcessStartTime.h"

#include <QFile>
#include <QStringList>
#include <unistd.h>

namespace {

// Field 22 of /proc/PID/stat; the command name in field 2 may hold blanks and
// parentheses, so the count starts after its closing parenthesis. Empty when
// there is no such process.
QString StartTimeOf(pid_t APid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(APid));
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(stat.readAll());
    const qsizetype end = text.lastIndexOf(QLatin1Char(')'));
    const QStringList fields = text.mid(end + 2).split(QLatin1Char(' '));
    // fields[0] is field 3 (the state), so field 22 is fields[19].
    return fields.size() > 19 ? fields[19] : QString();
}

} // namespace

namespace Platform {

QString ProcessIdentity()
{
    return QStringLiteral("%1:%2").arg(getpid()).arg(StartTimeOf(getpid()));
}

bool ProcessIdentityAlive(const QString &AIdentity)
{
    const QStringList parts = AIdentity.split(QLatin1Char(':'));
    bool ok = false;
    const pid_t pid = parts.value(0).toInt(&ok);
    if (parts.size() != 2 || !ok || pid <= 0 || parts[1].isEmpty())
        return false;
    return StartTimeOf(pid) == parts[1];
}

} // namespace Platform
