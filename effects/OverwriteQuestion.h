#pragma once

#include <QString>

// Whether ALine (a whole output line or the start of one) is the tool asking
// on its standard input whether to replace an existing output file. The tool
// waits for the answer without any time limit.
bool AsksToOverwrite(const QString &ALine);
