#include "i18n/LocaleCharset.h"

#include "i18n/TextFileLines.h"

#include <QStringDecoder>

#include <langinfo.h>
#include <memory>

#include <unicode/ucnv.h>

namespace {

struct TConverterCloser
{
    void operator()(UConverter *AConverter) const { ucnv_close(AConverter); }
};
using TConverter = std::unique_ptr<UConverter, TConverterCloser>;

bool IsUtf8OrAscii(const UConverter *AConverter)
{
    UErrorCode error = U_ZERO_ERROR;
    const char *name = ucnv_getName(AConverter, &error);
    return U_FAILURE(error) || qstrcmp(name, "UTF-8") == 0 || qstrcmp(name, "US-ASCII") == 0;
}

QString DecodeWith(UConverter *AConverter, const QByteArray &ABytes)
{
    // Every byte yields at most one UTF-16 code unit in the character sets a
    // locale can name, plus room for a surrogate pair per byte to be safe.
    QString text(2 * ABytes.size() + 1, Qt::Uninitialized);
    UErrorCode error = U_ZERO_ERROR;
    const int32_t length =
        ucnv_toUChars(AConverter, reinterpret_cast<UChar *>(text.data()), static_cast<int32_t>(text.size()),
                      ABytes.constData(), static_cast<int32_t>(ABytes.size()), &error);
    if (U_FAILURE(error))
        return DecodeUtf8Text(ABytes);
    text.truncate(length);
    return text;
}

} // namespace

QByteArray LocaleCharset()
{
    return QByteArray(nl_langinfo(CODESET));
}

QString DecodeCharset(const QByteArray &ABytes, const QByteArray &ACharset)
{
    UErrorCode error = U_ZERO_ERROR;
    const TConverter converter(ucnv_open(ACharset.constData(), &error));
    if (U_FAILURE(error) || !converter || IsUtf8OrAscii(converter.get()))
        return DecodeUtf8Text(ABytes);
    return DecodeWith(converter.get(), ABytes);
}

QString DecodeMarkedText(const QByteArray &ABytes, const QByteArray &ACharset)
{
    const std::optional<QStringConverter::Encoding> marked = QStringConverter::encodingForData(ABytes);
    if (!marked)
        return DecodeCharset(ABytes, ACharset);
    if (*marked == QStringConverter::Utf8)
        return DecodeUtf8Text(ABytes);
    QStringDecoder decoder(*marked, QStringConverter::Flag::Stateless);
    return decoder.decode(ABytes);
}
