// The update check's reading of the reply, its version decision and the
// download address the popup opens.
#include "online/CheckReply.h"
#include "online/DownloadAddress.h"
#include "online/ServerEndpoints.h"
#include "online/UpdateDecision.h"

#include <gtest/gtest.h>

#include "support/CaseName.h"

#include "support/QtPrinters.h"

namespace {

struct TCheckReplyCase
{
    const char *Name;
    QString Reply;
    TCheckReply Expected;
};

class ParseCheckReplyCases : public ::testing::TestWithParam<TCheckReplyCase>
{};

} // namespace

TEST_P(ParseCheckReplyCases, ReadsItsLines)
{
    const TCheckReply reply = ParseCheckReply(GetParam().Reply);
    EXPECT_EQ(reply.Accepted, GetParam().Expected.Accepted);
    EXPECT_EQ(reply.Version, GetParam().Expected.Version);
    EXPECT_EQ(reply.Url, GetParam().Expected.Url);
    EXPECT_EQ(reply.Notice, GetParam().Expected.Notice);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseCheckReplyCases,
    ::testing::Values(
        TCheckReplyCase{"Four",
                        QStringLiteral("<version>2.0</version>\r\n<url>http://x/</url>\r\n\r\n<result>1</result>"),
                        {true, QStringLiteral("2.0"), QStringLiteral("http://x/"), QString()}},
        TCheckReplyCase{"ResultZeroWithNotice",
                        QStringLiteral("<version>2.0</version>\n<url></url>\nx\n<result>0</result>\ny\n<important> hi "
                                       "</important>\n"),
                        {true, QStringLiteral("2.0"), QString(), QStringLiteral(" hi ")}},
        TCheckReplyCase{"ResultTwo",
                        QStringLiteral("<version>2.0</version>\r\n<url>u</url>\r\n\r\n<result>2</result>"),
                        {false, {}, {}, {}}},
        TCheckReplyCase{"ThreeLines",
                        QStringLiteral("<version>2.0</version>\r\n<url>u</url>\r\n<result>1</result>\r\n"),
                        {false, {}, {}, {}}},
        TCheckReplyCase{"ResultWithBlank", QStringLiteral("a\rb\rc\r<result> 1</result>"), {false, {}, {}, {}}},
        TCheckReplyCase{"ResultCapitalised", QStringLiteral("a\rb\rc\r<Result>1</Result>"), {false, {}, {}, {}}},
        TCheckReplyCase{"BadLinesStillAccepted",
                        QStringLiteral("junk\r<url>u\r\r<result>1</result>\r\r<important>"),
                        {true, QString(), QString(), QString()}},
        TCheckReplyCase{"Empty", QString(), {false, {}, {}, {}}},
        // The server's texts are bounded: a flood of points in the version
        // would otherwise count as a newer version and fill the settings file.
        TCheckReplyCase{"LongestVersion",
                        QStringLiteral("<version>%1</version>\n\n\n<result>1</result>").arg(QString(32, u'9')),
                        {true, QString(32, u'9'), QString(), QString()}},
        TCheckReplyCase{"VersionTooLong",
                        QStringLiteral("<version>1%11</version>\n\n\n<result>1</result>").arg(QString(100000, u'.')),
                        {false, {}, {}, {}}},
        TCheckReplyCase{"NoticeCut",
                        QStringLiteral("<version>2</version>\n\n\n<result>1</result>\n\n<important>%1</important>")
                            .arg(QString(100000, u'N')),
                        {true, QStringLiteral("2"), QString(), QString(400, u'N')}}),
    CaseName<TCheckReplyCase>);

namespace {

struct TVersionCase
{
    const char *Name;
    QString Server;
    bool Offered;
};

class OfferedVersionCases : public ::testing::TestWithParam<TVersionCase>
{};

} // namespace

// The running version is 1.9 throughout.
TEST_P(OfferedVersionCases, DifferenceThatReadsAsANumber)
{
    EXPECT_EQ(IsOfferedVersion(GetParam().Server, QStringLiteral("1.9")), GetParam().Offered);
}

INSTANTIATE_TEST_SUITE_P(Cases, OfferedVersionCases,
                         ::testing::Values(TVersionCase{"Higher", QStringLiteral("1.10"), true},
                                           TVersionCase{"Same", QStringLiteral("1.9"), false},
                                           TVersionCase{"Lower", QStringLiteral("1.8"), true},
                                           TVersionCase{"Empty", QString(), false},
                                           TVersionCase{"LetterAfterDigits", QStringLiteral("2.0b"), false},
                                           TVersionCase{"ManyPoints", QStringLiteral("2.0.1.7"), true},
                                           TVersionCase{"OnlyPoints", QStringLiteral(".."), false},
                                           TVersionCase{"Negative", QStringLiteral("-1.0"), true},
                                           TVersionCase{"Int32Max", QStringLiteral("2147483.647"), true},
                                           TVersionCase{"BeyondInt32", QStringLiteral("2147483.648"), false},
                                           TVersionCase{"Int32Min", QStringLiteral("-2147483.648"), true},
                                           TVersionCase{"Blank", QStringLiteral("2.0 "), false},
                                           TVersionCase{"OnlySign", QStringLiteral("-."), false},
                                           TVersionCase{"OtherTextSameDigits", QStringLiteral("19"), true}),
                         CaseName<TVersionCase>);

namespace {

struct TAddressCase
{
    const char *Name;
    QString UpdateURL;
    bool Kept;
};

class DownloadAddressCases : public ::testing::TestWithParam<TAddressCase>
{};

} // namespace

TEST_P(DownloadAddressCases, OnlyAbsoluteWebAddresses)
{
    const QString expected = GetParam().Kept ? GetParam().UpdateURL : HomePageURL();
    EXPECT_EQ(DownloadAddress(GetParam().UpdateURL), expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, DownloadAddressCases,
                         ::testing::Values(TAddressCase{"Https",
                                                        QStringLiteral("https://dl.example.com/tonara-2.0.zip"), true},
                                           TAddressCase{"Http", QStringLiteral("http://example.com/"), true},
                                           TAddressCase{"Empty", QString(), false},
                                           TAddressCase{"Relative", QStringLiteral("/download/"), false},
                                           TAddressCase{"NoScheme", QStringLiteral("example.com/download"), false},
                                           TAddressCase{"File", QStringLiteral("file:///etc/passwd"), false},
                                           TAddressCase{"Program", QStringLiteral("/usr/bin/xterm"), false},
                                           TAddressCase{"Script", QStringLiteral("javascript:alert(1)"), false},
                                           TAddressCase{"OtherScheme", QStringLiteral("ftp://example.com/x"), false},
                                           TAddressCase{"NoHost", QStringLiteral("http:///x"), false},
                                           TAddressCase{"Malformed", QStringLiteral("http://exa mple.com/"), false}),
                         CaseName<TAddressCase>);

TEST(ServerEndpoints, HostAndPathWithoutScheme)
{
    EXPECT_TRUE(CheckAddress().endsWith(QStringLiteral("/php/check2.php")));
    EXPECT_FALSE(CheckAddress().contains(QStringLiteral("://")));
    EXPECT_TRUE(FeedbackAddress().endsWith(QStringLiteral("/php/feedback.php")));
    EXPECT_TRUE(HomePageURL().startsWith(QStringLiteral("http://")));
}
