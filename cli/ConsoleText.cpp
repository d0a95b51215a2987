#include "cli/ConsoleText.h"

#include "platform/FileName.h"

void PrintLine(std::FILE *AStream, const QString &AText)
{
    // File names in the text come out as the bytes that name them.
    const QByteArray bytes = Platform::EncodeFileName(AText) + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), AStream);
    std::fflush(AStream);
}
