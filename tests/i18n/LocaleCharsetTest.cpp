#include "i18n/LocaleCharset.h"

#include <QStringEncoder>
#include <gtest/gtest.h>

namespace {

// AText with the byte order mark of AEncoding in front.
QByteArray Marked(const QString &AText, QStringConverter::Encoding AEncoding)
{
    QStringEncoder encoder(AEncoding, QStringConverter::Flag::WriteBom);
    return encoder.encode(AText);
}

TEST(LocaleCharset, ByteOrderMarkWinsOverTheLocaleCharset)
{
    const QString text = QStringLiteral("1036,Français.lang.txt\r\n");
    struct TCase
    {
        const char *Name;
        QByteArray Bytes;
        QByteArray Charset;
    };
    const TCase cases[] = {
        {"UTF-8 mark", Marked(text, QStringConverter::Utf8), "ISO-8859-1"},
        {"UTF-16 LE mark", Marked(text, QStringConverter::Utf16LE), "ISO-8859-1"},
        {"UTF-16 BE mark", Marked(text, QStringConverter::Utf16BE), "UTF-8"},
        {"no mark, Latin-1 locale", text.toLatin1(), "ISO-8859-1"},
        {"no mark, UTF-8 locale", text.toUtf8(), "UTF-8"},
        // The "C" locale knows only ASCII; its bytes above 127 are read as UTF-8.
        {"no mark, C locale", text.toUtf8(), "ANSI_X3.4-1968"},
        {"no mark, unknown charset", text.toUtf8(), "no-such-charset"},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(DecodeMarkedText(c.Bytes, c.Charset), text);
    }
}

TEST(LocaleCharset, DecodesSingleByteCharsets)
{
    EXPECT_EQ(DecodeCharset("\xA4 \xE7", "ISO-8859-15"), QStringLiteral("€ ç"));
    EXPECT_EQ(DecodeCharset("\x80 \xE7", "windows-1252"), QStringLiteral("€ ç"));
    EXPECT_EQ(DecodeCharset("\xA4 \xE7", "ISO-8859-1"), QStringLiteral("¤ ç"));
}

TEST(LocaleCharset, OddUtf16ByteIsReplacedNotDropped)
{
    const QString text = DecodeMarkedText(QByteArray("\xFF\xFE"
                                                     "1\0"
                                                     "2",
                                                     5),
                                          "UTF-8");
    EXPECT_EQ(text, QStringLiteral("1\uFFFD"));
}

} // namespace
