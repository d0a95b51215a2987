#include "effects/OverwriteQuestion.h"

bool AsksToOverwrite(const QString &ALine)
{
    // "File 'NAME' already exists. Overwrite? [y/N] ", with no line end after it.
    return ALine.contains(QLatin1String("already exists. Overwrite?"));
}
