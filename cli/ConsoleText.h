#pragma once

#include <QString>
#include <cstdio>

// Writes AText and a line feed to AStream as UTF-8 and flushes it, so that a
// reader of a pipe sees each line as soon as it is written.
void PrintLine(std::FILE *AStream, const QString &AText);
