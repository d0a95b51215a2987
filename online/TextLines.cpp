#include "online/TextLines.h"

QStringList SplitLines(const QString &AText)
{
    QStringList lines;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < AText.size()) {
        const QChar c = AText.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n')) {
            ++i;
            continue;
        }
        lines += AText.mid(start, i - start);
        const bool crlf = c == QLatin1Char('\r') && i + 1 < AText.size() && AText.at(i + 1) == QLatin1Char('\n');
        i += crlf ? 2 : 1;
        start = i;
    }
    if (start < AText.size())
        lines += AText.mid(start);
    return lines;
}

QString TrimControls(const QString &AText)
{
    qsizetype first = 0;
    qsizetype last = AText.size();
    while (first < last && AText.at(first).unicode() <= 0x20)
        ++first;
    while (last > first && AText.at(last - 1).unicode() <= 0x20)
        --last;
    return AText.mid(first, last - first);
}
