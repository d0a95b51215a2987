// A language file as the program reads it (UTF-8, any line ends) and the
// lookup of keys taken from the input itself and of a fixed one.
#include "i18n/Language.h"
#include "i18n/TextFileLines.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *AData, size_t ASize)
{
    const QStringList lines =
        SplitTextLines(DecodeUtf8Text(QByteArray(reinterpret_cast<const char *>(AData), static_cast<qsizetype>(ASize))));
    LookupLanguageValue(lines, QStringLiteral("UPDATE AVAILABLE"));
    for (const QString &line : lines.mid(0, 4)) {
        // A key from the file: the text between the braces, when there are any.
        const qsizetype close = line.indexOf(u'}');
        LookupLanguageValue(lines, line.mid(1, close > 0 ? close - 1 : line.size()));
    }
    LanguageDisplayName(lines.value(0));
    return 0;
}
