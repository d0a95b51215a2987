#pragma once

#include <QByteArray>
#include <QString>

namespace Platform {

// Text in the system's character set (the locale's; UTF-8 here).

// Decodes a byte stream that arrives in pieces. A multi-byte character whose
// bytes are split between two pieces is held back and decoded whole with the
// next piece; Finish decodes whatever is still held (as replacement
// characters) at the end of the stream.
class TSystemDecoder
{
public:
    QString Decode(const QByteArray &ABytes);
    QString Finish();
    void Reset() { FHeld.clear(); }

private:
    QByteArray FHeld;
};

QByteArray EncodeSystem(const QString &AText);

} // namespace Platform
