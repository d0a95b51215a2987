#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// "LanguageCodes.csv": which language file belongs to which UI language.
// Each line holds a Windows language id in decimal, a comma and a file name.

// The text without the characters up to U+0020 (blanks and control characters)
// at either end.
QString TrimBlanksAndControls(QStringView AText);

// The lines of the code table file; a file that cannot be read gives no lines.
QStringList ReadLanguageCodes(const QString &AFileName);

// The file name on the first line whose code is ACode (exact text: "01031" is not
// "1031"), or an empty name. A line splits at its first comma; lines without one
// are skipped, and both parts are trimmed.
QString LanguageFileForCode(const QStringList &ALines, const QString &ACode);

// The entry of AFiles equal to AWanted when only the ASCII letters A-Z are folded
// to lower case, as listed; an empty name when none is.
QString FindListedFile(const QStringList &AFiles, const QString &AWanted);
