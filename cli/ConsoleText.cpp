#include "cli/ConsoleText.h"

void PrintLine(std::FILE *AStream, const QString &AText)
{
    const QByteArray bytes = AText.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), AStream);
    std::fflush(AStream);
}
