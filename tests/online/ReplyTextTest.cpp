// Reading the server's replies: lines, tags, trimming, charset decoding.
#include "online/ExtractTag.h"
#include "online/ReplyDecoding.h"
#include "online/TextLines.h"

#include <gtest/gtest.h>

#include "support/CaseName.h"

#include "support/QtPrinters.h"

namespace {

struct TSplitCase
{
    const char *Name;
    QString Text;
    QStringList Lines;
};

class SplitLinesCases : public ::testing::TestWithParam<TSplitCase>
{};

} // namespace

TEST_P(SplitLinesCases, BreaksAtCrLfOrCrLf)
{
    EXPECT_EQ(SplitLines(GetParam().Text), GetParam().Lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitLinesCases,
    ::testing::Values(TSplitCase{"Empty", QString(), {}}, TSplitCase{"OneLine", QStringLiteral("OK"), {"OK"}},
                      TSplitCase{"TrailingBreakAddsNoLine", QStringLiteral("OK\r\n"), {"OK"}},
                      TSplitCase{"TrailingCr", QStringLiteral("a\r"), {"a"}},
                      TSplitCase{"MixedBreaks", QStringLiteral("a\rb\nc\r\nd"), {"a", "b", "c", "d"}},
                      TSplitCase{"LfCrIsTwoBreaks", QStringLiteral("a\n\rb"), {"a", "", "b"}},
                      TSplitCase{"EmptyLinesKept", QStringLiteral("\r\n\r\nOK"), {"", "", "OK"}},
                      TSplitCase{"OnlyABreak", QStringLiteral("\n"), {""}}),
    CaseName<TSplitCase>);

TEST(TrimControls, RemovesBlanksAndControlsAtBothEndsOnly)
{
    EXPECT_EQ(TrimControls(QStringLiteral(" \t\r\n\x01OK \x1f")), QStringLiteral("OK"));
    EXPECT_EQ(TrimControls(QStringLiteral("a \r\n b")), QStringLiteral("a \r\n b"));
    EXPECT_EQ(TrimControls(QStringLiteral(" \r\n ")), QString());
    // A no-break space is not a control character.
    EXPECT_EQ(TrimControls(QStringLiteral("\u00a0x")), QStringLiteral("\u00a0x"));
}

namespace {

struct TTagCase
{
    const char *Name;
    QString Line;
    QString Tag;
    QString Value;
};

class ExtractTagCases : public ::testing::TestWithParam<TTagCase>
{};

} // namespace

TEST_P(ExtractTagCases, ValueBetweenTheMarks)
{
    EXPECT_EQ(ExtractTag(GetParam().Line, GetParam().Tag), GetParam().Value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExtractTagCases,
    ::testing::Values(
        TTagCase{"Plain", QStringLiteral("<version>1.2</version>"), QStringLiteral("version"), QStringLiteral("1.2")},
        TTagCase{"TagIsLowerCased", QStringLiteral("<version>1.2</version>"), QStringLiteral("Version"),
                 QStringLiteral("1.2")},
        TTagCase{"LineMarksAreNot", QStringLiteral("<Version>1.2</Version>"), QStringLiteral("version"), QString()},
        TTagCase{"NothingBetween", QStringLiteral("<url></url>"), QStringLiteral("url"), QString()},
        TTagCase{"BlankBeforeOpening", QStringLiteral(" <url>x</url>"), QStringLiteral("url"), QString()},
        TTagCase{"BlankAfterClosing", QStringLiteral("<url>x</url> "), QStringLiteral("url"), QString()},
        TTagCase{"InnerBlanksKept", QStringLiteral("<url> x </url>"), QStringLiteral("url"), QStringLiteral(" x ")},
        TTagCase{"OtherTag", QStringLiteral("<url>x</url>"), QStringLiteral("result"), QString()},
        TTagCase{"ClosingMissing", QStringLiteral("<result>1"), QStringLiteral("result"), QString()},
        TTagCase{"OnlyTheOpeningMark", QStringLiteral("<a>"), QStringLiteral("a"), QString()},
        TTagCase{"EmptyLine", QString(), QStringLiteral("url"), QString()},
        TTagCase{"EmptyTag", QStringLiteral("<>x</>"), QString(), QString()},
        TTagCase{"MarksInsideValue", QStringLiteral("<a><a></a></a>"), QStringLiteral("a"), QStringLiteral("<a></a>")}),
    CaseName<TTagCase>);

namespace {

struct TDecodeCase
{
    const char *Name;
    QByteArray Body;
    QByteArray ContentType;
    QString Text;
};

class DecodeReplyBodyCases : public ::testing::TestWithParam<TDecodeCase>
{};

} // namespace

TEST_P(DecodeReplyBodyCases, UsesTheDeclaredCharset)
{
    EXPECT_EQ(DecodeReplyBody(GetParam().Body, GetParam().ContentType), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(Cases, DecodeReplyBodyCases,
                         ::testing::Values(TDecodeCase{"Utf8",
                                                       "Gr\xc3\xbc\xc3\x9f"
                                                       "e",
                                                       "text/plain; charset=utf-8", QStringLiteral("Grüße")},
                                           TDecodeCase{"NoCharsetIsUtf8",
                                                       "Gr\xc3\xbc\xc3\x9f"
                                                       "e",
                                                       "text/plain", QStringLiteral("Grüße")},
                                           TDecodeCase{"NoContentType", "\xc3\xa9", "", QStringLiteral("é")},
                                           TDecodeCase{"Latin1QuotedUpperCase",
                                                       "Gr\xfc\xdf"
                                                       "e",
                                                       "text/html; CHARSET=\"ISO-8859-1\"", QStringLiteral("Grüße")},
                                           TDecodeCase{"Ascii", "OK", "text/plain;charset=us-ascii",
                                                       QStringLiteral("OK")},
                                           TDecodeCase{"UnknownCharsetIsUtf8", "\xc3\xa9",
                                                       "text/plain; charset=x-unknown", QStringLiteral("é")},
                                           TDecodeCase{"Utf16", QByteArray("\xff\xfeO\0K\0", 6),
                                                       "text/plain; charset=utf-16", QStringLiteral("OK")}),
                         CaseName<TDecodeCase>);
