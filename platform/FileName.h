#pragma once

#include <QByteArray>
#include <QString>

// File names as the file system holds them: bytes, usually but not always
// UTF-8. Qt's own conversion turns bytes that are not UTF-8 into U+FFFD, so such
// a file could not be named again. These keep every byte: a byte that is not part
// of valid UTF-8 becomes the lone surrogate U+DC80..U+DCFF (no valid UTF-8 text
// decodes to one) and is turned back into that byte. Valid UTF-8 decodes as
// QFile::decodeName does.
namespace Platform {

QString DecodeFileName(const QByteArray &ABytes);
QByteArray EncodeFileName(const QString &AName);

} // namespace Platform
