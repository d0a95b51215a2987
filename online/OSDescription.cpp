#include "online/OSDescription.h"

#include "online/TextLines.h"

#include <QFile>
#include <QRegularExpression>
#include <sys/utsname.h>

namespace {

QString ReadOsRelease()
{
    // The same two places systemd looks, in its order.
    for (const char *path : {"/etc/os-release", "/usr/lib/os-release"}) {
        QFile file(QString::fromLatin1(path));
        if (file.open(QIODevice::ReadOnly))
            return QString::fromUtf8(file.readAll());
    }
    return {};
}

QString Unquoted(const QString &AValue)
{
    if (AValue.size() >= 2 && (AValue.front() == QLatin1Char('"') || AValue.front() == QLatin1Char('\''))
        && AValue.back() == AValue.front()) {
        QString inner = AValue.mid(1, AValue.size() - 2);
        if (AValue.front() == QLatin1Char('"'))
            inner.replace(QRegularExpression(QStringLiteral(R"(\\([\\$"`]))")), QStringLiteral("\\1"));
        return inner;
    }
    return AValue;
}

} // namespace

QString PrettyNameOf(const QString &AOsRelease)
{
    static const QString key = QStringLiteral("PRETTY_NAME=");
    QString result;
    for (const QString &line : SplitLines(AOsRelease)) {
        if (line.startsWith(key))
            result = Unquoted(line.mid(key.size()).trimmed()); // the last assignment wins, as in a shell
    }
    return result;
}

TKernelVersion KernelVersionOf(const QString &ARelease)
{
    static const QRegularExpression numbers(QStringLiteral(R"(^(\d+)(?:\.(\d+))?(?:\.(\d+))?)"));
    const QRegularExpressionMatch match = numbers.match(ARelease);
    TKernelVersion version;
    if (match.hasMatch()) {
        version.Major = match.captured(1).toInt();
        version.Minor = match.captured(2).toInt();
        version.Patch = match.captured(3).toInt();
    }
    return version;
}

bool Is64BitMachine(const QString &AMachine)
{
    return AMachine.contains(QStringLiteral("64")) || AMachine == QStringLiteral("s390x");
}

QString FormatOSDescription(const QString &AReleaseName, const TKernelVersion &AVersion, bool A64Bit)
{
    // One pass over the pattern, so a "%" in the release name stays as it is.
    return QStringLiteral("%1 (Version %2.%3, Build %4, %5)")
        .arg(AReleaseName.isEmpty() ? QStringLiteral("Linux") : AReleaseName, QString::number(AVersion.Major),
             QString::number(AVersion.Minor), QString::number(AVersion.Patch),
             A64Bit ? QStringLiteral("64-bit Edition") : QStringLiteral("32-bit Edition"));
}

QString OSDescription()
{
    struct utsname name = {};
    const bool known = uname(&name) == 0;
    const QString release = known ? QString::fromLocal8Bit(name.release) : QString();
    const QString machine = known ? QString::fromLocal8Bit(name.machine) : QString();
    return FormatOSDescription(PrettyNameOf(ReadOsRelease()), KernelVersionOf(release), Is64BitMachine(machine));
}
