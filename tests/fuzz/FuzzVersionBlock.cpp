// The version block reader over any bytes: every query stays inside the data.
#include "identity/VersionBlock.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *AData, size_t ASize)
{
    const TVersionBlock block(QByteArray(reinterpret_cast<const char *>(AData), static_cast<qsizetype>(ASize)));
    if (!block.IsValid())
        return 0;
    QByteArrayView value;
    block.QueryValue(QStringLiteral("\\"), value);
    quint32 versionMS = 0;
    block.QueryFileVersionMS(versionMS);
    quint16 language = 0;
    quint16 codePage = 0;
    const bool translated = block.QueryFirstTranslation(language, codePage);
    const QString key = translated ? TVersionBlock::TranslationKey(language, codePage) : QStringLiteral("040904B0");
    QString text;
    for (const char *name : {"CompanyName", "ProductName", "FileVersion", "OriginalFilename"})
        block.QueryString(QStringLiteral("\\StringFileInfo\\") + key + u'\\' + QLatin1String(name), text);
    return 0;
}
