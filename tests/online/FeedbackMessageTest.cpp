// The feedback message, its fields and the "OK" rule; sending is in SendFeedbackTest.
#include "identity/AppIdentity.h"
#include "online/Feedback.h"

#include <gtest/gtest.h>

#include "support/CaseName.h"

#include "support/QtPrinters.h"

namespace {

TFeedbackInput Input(TFeedbackChoice AChoice, const QString &AMemo, const QString &ALike = QStringLiteral("I like it!"),
                     const QString &ADislike = QStringLiteral("I dislike it!"))
{
    TFeedbackInput input;
    input.Choice = AChoice;
    input.MemoText = AMemo;
    input.LikeCaption = ALike;
    input.DislikeCaption = ADislike;
    return input;
}

} // namespace

namespace {

struct TMessageCase
{
    const char *Name;
    TFeedbackInput Input;
    QString Message;
};

class FeedbackMessageCases : public ::testing::TestWithParam<TMessageCase>
{};

} // namespace

TEST_P(FeedbackMessageCases, Message)
{
    EXPECT_EQ(FeedbackMessage(GetParam().Input), GetParam().Message);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FeedbackMessageCases,
    ::testing::Values(
        TMessageCase{"LikeAndTwoLines", Input(TFeedbackChoice::Like, QStringLiteral("first\nsecond")),
                     QStringLiteral("I like it!\rfirst\r\nsecond")},
        TMessageCase{"AnyBreakBecomesCrLf", Input(TFeedbackChoice::None, QStringLiteral("a\rb\r\nc\nd")),
                     QStringLiteral("a\r\nb\r\nc\r\nd")},
        TMessageCase{"OnlyAChoice", Input(TFeedbackChoice::Dislike, QString()), QStringLiteral("I dislike it!\r")},
        TMessageCase{"TranslatedCaption",
                     Input(TFeedbackChoice::Like, QStringLiteral("gut"), QStringLiteral("Gefällt mir!")),
                     QStringLiteral("I like it! (Gefällt mir!)\rgut")},
        TMessageCase{"OtherPanelsCaptionNotUsed",
                     Input(TFeedbackChoice::Dislike, QString(), QStringLiteral("Gefällt mir!")),
                     QStringLiteral("I dislike it!\r")},
        TMessageCase{"MemoTrimmedInnerBlanksKept",
                     Input(TFeedbackChoice::None, QStringLiteral("\n  \t one  \n\n two \n\n")),
                     QStringLiteral("one  \r\n\r\n two")},
        TMessageCase{"NothingAtAll", Input(TFeedbackChoice::None, QStringLiteral(" \n \r\n\t")), QString()}),
    CaseName<TMessageCase>);

TEST(FeedbackFields, InOrderWithEmailOnlyWhenGiven)
{
    AppTitle = QStringLiteral("Quillaby - Tonara");
    AppVersion = QStringLiteral("1.0");
    const QStringList common = {QStringLiteral("cmd=feedback"), QStringLiteral("appname=Quillaby - Tonara"),
                                QStringLiteral("version=1.0"), QStringLiteral("feedback=hi\r")};
    EXPECT_EQ(FeedbackFields(QStringLiteral("hi\r"), QString()), common);
    EXPECT_EQ(FeedbackFields(QStringLiteral("hi\r"), QStringLiteral("a@b.c")),
              common + QStringList{QStringLiteral("email=a@b.c")});
}

namespace {

struct TOkReplyCase
{
    const char *Name;
    QString Reply;
    bool Received;
};

class FeedbackReplyCases : public ::testing::TestWithParam<TOkReplyCase>
{};

} // namespace

TEST_P(FeedbackReplyCases, OkRule)
{
    EXPECT_EQ(IsFeedbackReceived(GetParam().Reply), GetParam().Received);
}

INSTANTIATE_TEST_SUITE_P(Cases, FeedbackReplyCases,
                         ::testing::Values(TOkReplyCase{"Ok", QStringLiteral("OK"), true},
                                           TOkReplyCase{"OkAndBreak", QStringLiteral("OK\r\n"), true},
                                           TOkReplyCase{"BlankLinesBefore", QStringLiteral("\r\n\nOK"), true},
                                           TOkReplyCase{"Blanks", QStringLiteral("  OK \t"), true},
                                           TOkReplyCase{"LowerCase", QStringLiteral("ok"), false},
                                           TOkReplyCase{"SecondLine", QStringLiteral("OK\r\nmore"), false},
                                           TOkReplyCase{"Empty", QString(), false},
                                           TOkReplyCase{"ErrorPage", QStringLiteral("<html>OK</html>"), false}),
                         CaseName<TOkReplyCase>);
