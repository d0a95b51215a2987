#pragma once

#include <QString>

// Whether the server's version asks for the update popup: it differs from the
// running version (exact text), and without its points it reads as a 32-bit
// signed integer (optional sign, decimal digits). Lower versions count too.
bool IsOfferedVersion(const QString &AServerVersion, const QString &AAppVersion);

// AText as a 32-bit signed decimal integer: an optional sign and digits only.
bool IsInt32Text(const QString &AText);
