#include "i18n/LanguageCodes.h"

#include "i18n/ETextFileError.h"
#include "i18n/TextFileLines.h"

#include <algorithm>

namespace {

bool IsBlankOrControl(QChar AChar)
{
    return AChar.unicode() <= 0x20;
}

// Only A-Z: file names must not match through the case rules of any one language.
QString AsciiLower(const QString &AText)
{
    QString lower = AText;
    for (QChar &c : lower) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return lower;
}

} // namespace

QString TrimBlanksAndControls(QStringView AText)
{
    qsizetype first = 0;
    qsizetype end = AText.size();
    while (first < end && IsBlankOrControl(AText[first]))
        ++first;
    while (end > first && IsBlankOrControl(AText[end - 1]))
        --end;
    return AText.sliced(first, end - first).toString();
}

QStringList ReadLanguageCodes(const QString &AFileName)
{
    // A broken table only means no automatic choice; English is always there.
    try {
        return ReadLocaleTextLines(AFileName);
    } catch (const ETextFileError &) {
        return {};
    }
}

QString LanguageFileForCode(const QStringList &ALines, const QString &ACode)
{
    for (const QString &line : ALines) {
        const qsizetype comma = line.indexOf(u',');
        if (comma < 0)
            continue;
        if (TrimBlanksAndControls(QStringView(line).first(comma)) == ACode)
            return TrimBlanksAndControls(QStringView(line).sliced(comma + 1));
    }
    return {};
}

QString FindListedFile(const QStringList &AFiles, const QString &AWanted)
{
    const QString wanted = AsciiLower(AWanted);
    const auto found =
        std::find_if(AFiles.cbegin(), AFiles.cend(), [&](const QString &AFile) { return AsciiLower(AFile) == wanted; });
    return found != AFiles.cend() ? *found : QString();
}
