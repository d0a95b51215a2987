// "LanguageCodes.csv" in any encoding its byte order mark names, and the
// searches over it.
#include "i18n/LanguageCodes.h"
#include "i18n/LocaleCharset.h"
#include "i18n/TextFileLines.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *AData, size_t ASize)
{
    const QByteArray bytes(reinterpret_cast<const char *>(AData), static_cast<qsizetype>(ASize));
    const QStringList lines = SplitTextLines(DecodeMarkedText(bytes, QByteArrayLiteral("UTF-8")));
    for (const QString &code : {QStringLiteral("1031"), QStringLiteral("9"), QString()}) {
        const QString file = LanguageFileForCode(lines, code);
        FindListedFile(lines, file);
    }
    TrimBlanksAndControls(lines.value(0));
    return 0;
}
