#pragma once

#include <QString>

// The most significant double word of the fixed file version in the version
// block of AFileName (major in the high 16 bits, minor in the low ones), or
// 0xFFFFFFFF when the file has no block or the block no fixed file info.
quint32 GetFileVersion(const QString &AFileName);

// "major.minor" of such a double word: 0x00010000 gives "1.0".
QString FormatAppVersion(quint32 AVersionMS);
