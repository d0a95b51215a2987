#pragma once

#include <QString>
#include <QStringList>

// The lines of a text, broken at CR, LF or CR LF. A break at the very end does
// not add an empty line; an empty text has no lines.
QStringList SplitLines(const QString &AText);

// AText without the blanks and control characters (anything up to U+0020) at
// either end.
QString TrimControls(const QString &AText);
