#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

// Reading small text files into lines: any of the three line ends counts, so a
// file edited on any system reads the same.

// Splits text at CR LF, LF or CR. A line end at the very end starts no further line,
// so "a\n" is one line and an empty text has none.
QStringList SplitTextLines(QStringView AText);

// Decodes UTF-8 text. A byte order mark at the start is dropped. Every byte that is
// not part of a valid sequence becomes U+FFFD on its own, so a broken sequence
// never swallows a line end or the characters after it.
QString DecodeUtf8Text(const QByteArray &ABytes);

// Text files are small: anything larger is refused rather than read.
inline constexpr qint64 TextFileSizeLimit = 4 * 1024 * 1024;

// The whole content of a regular file of at most TextFileSizeLimit bytes.
// Throws ETextFileError, naming the file and the reason, when the file cannot
// be opened or read, is no regular file (a FIFO, a device, a folder) or is
// larger; nothing ever waits for a writer.
QByteArray ReadWholeFile(const QString &AFileName);

// The lines of a UTF-8 file (see DecodeUtf8Text). Throws ETextFileError.
QStringList ReadUtf8Lines(const QString &AFileName);

// The lines of a text file whose byte order mark (UTF-8, UTF-16 or UTF-32) tells
// its encoding; without one it is in the locale's character set. Throws ETextFileError.
QStringList ReadLocaleTextLines(const QString &AFileName);
