#include "online/ExtractTag.h"

QString ExtractTag(const QString &ALine, const QString &ATag)
{
    if (ALine.isEmpty() || ATag.isEmpty())
        return {};
    const QString tag = ATag.toLower();
    const QString opening = QLatin1Char('<') + tag + QLatin1Char('>');
    const QString closing = QStringLiteral("</") + tag + QLatin1Char('>');
    if (!ALine.startsWith(opening) || !ALine.endsWith(closing))
        return {};
    // A line that is shorter than both marks together has nothing between them.
    const qsizetype length = ALine.size() - opening.size() - closing.size();
    return length > 0 ? ALine.mid(opening.size(), length) : QString();
}
