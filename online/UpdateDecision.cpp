#include "online/UpdateDecision.h"

#include <limits>

bool IsInt32Text(const QString &AText)
{
    qsizetype i = (AText.startsWith(QLatin1Char('+')) || AText.startsWith(QLatin1Char('-'))) ? 1 : 0;
    if (i == AText.size())
        return false;
    const bool negative = AText.startsWith(QLatin1Char('-'));
    const qint64 limit = negative ? -qint64(std::numeric_limits<qint32>::min()) : std::numeric_limits<qint32>::max();
    qint64 value = 0;
    for (; i < AText.size(); ++i) {
        const QChar c = AText.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        value = value * 10 + (c.unicode() - '0');
        if (value > limit)
            return false;
    }
    return true;
}

bool IsOfferedVersion(const QString &AServerVersion, const QString &AAppVersion)
{
    if (AServerVersion == AAppVersion)
        return false;
    return IsInt32Text(QString(AServerVersion).remove(QLatin1Char('.')));
}
