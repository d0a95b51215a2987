#pragma once

#include <QByteArray>
#include <QString>

// Text written in the user's locale character set (the Linux side of the
// Windows ANSI code page), as opposed to text that announces its encoding.

// The character set of the C library's current locale ("UTF-8", "ISO-8859-15",
// "ANSI_X3.4-1968" in the "C" locale).
QByteArray LocaleCharset();

// Decodes bytes in the named character set. UTF-8 is used for UTF-8 itself, for
// plain ASCII (the "C" locale says nothing about bytes above 127, and UTF-8 is
// the only sensible reading of them there) and for names the system does not
// know. Bytes that do not decode become replacement characters.
QString DecodeCharset(const QByteArray &ABytes, const QByteArray &ACharset);

// Text that starts with a UTF-8, UTF-16 or UTF-32 byte order mark is decoded in
// that encoding (mark dropped); any other text in ACharset.
QString DecodeMarkedText(const QByteArray &ABytes, const QByteArray &ACharset);
