#include "online/TextLines.h"

#include "i18n/TextFileLines.h"

QStringList SplitLines(const QString &AText)
{
    // The server's replies break lines as the language files do: one splitter for both.
    return SplitTextLines(AText);
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
