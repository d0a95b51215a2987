// The command-line splitter, and quoting: a quoted argument splits back unchanged.
#include "platform/CommandLine.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *AData, size_t ASize)
{
    const QString line =
        QString::fromUtf8(reinterpret_cast<const char *>(AData), static_cast<qsizetype>(ASize));
    const QStringList arguments = Platform::SplitCommandLine(line);
    const QString argument = arguments.value(1);
    const QStringList back =
        Platform::SplitCommandLine(QStringLiteral("prog ") + Platform::QuoteArgument(argument));
    if (back.size() != 2 || back.at(1) != argument)
        std::abort(); // the quoting lost or changed something
    return 0;
}
