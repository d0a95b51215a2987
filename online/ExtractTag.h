#pragma once

#include <QString>

// The text between "<tag>" and "</tag>" when ALine begins and ends with exactly
// those marks (tag in lower case, line compared as it is, nothing trimmed);
// otherwise empty.
QString ExtractTag(const QString &ALine, const QString &ATag);
