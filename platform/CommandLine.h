#pragma once

#include <QString>
#include <QStringList>

namespace Platform {

// Splits a command line into arguments the way a Windows program's runtime
// does it, so one command line means the same on both systems:
// - blanks and tabs outside double quotes separate arguments;
// - double quotes group and are removed; "" inside a quoted part is one quote;
// - 2n backslashes before a quote give n backslashes (the quote then groups),
//   2n+1 give n backslashes and a literal quote; other backslashes are literal;
// - the first argument (the program) ends at the first blank outside quotes
//   and takes backslashes literally;
// - single quotes are ordinary characters, so ffmpeg filter graphs such as
//   afftfilt=real='hypot(re,im)' arrive unchanged.
// Leading blanks are skipped; an empty or blank line gives no arguments.
QStringList SplitCommandLine(const QString &ACommandLine);

// One argument (not the program) in double quotes, written so that
// SplitCommandLine gives it back unchanged: a quote inside becomes \" and the
// backslashes before a quote, or before the closing quote, are doubled. A path
// without quotes or trailing backslashes simply stands between two quotes.
QString QuoteArgument(const QString &AArgument);

} // namespace Platform
