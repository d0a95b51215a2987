// Sending feedback end to end against the local server.
#include "identity/AppIdentity.h"
#include "online/Feedback.h"
#include "support/OnlineFixture.h"

#include <gtest/gtest.h>

#include "support/CaseName.h"

#include "support/QtPrinters.h"
#include "support/ScopedEnv.h"

namespace {

using TPairs = TRecordedRequest::TPairs;

TFeedbackInput Liked(const QString &AMemo, const QString &AEmail = {})
{
    TFeedbackInput input;
    input.Choice = TFeedbackChoice::Like;
    input.LikeCaption = QStringLiteral("I like it!");
    input.DislikeCaption = QStringLiteral("I dislike it!");
    input.MemoText = AMemo;
    input.EmailText = AEmail;
    return input;
}

struct TSendCase
{
    const char *Name;
    TFeedbackInput Input;
    TServerScript Https;
    TFeedbackOutcome Outcome;
    TPairs Fields; // empty: no request at all
};

class SendFeedbackCases : public OnlineFixture, public ::testing::WithParamInterface<TSendCase>
{
protected:
    void SetUp() override
    {
        OnlineFixture::SetUp();
        AppTitle = QStringLiteral("Quillaby - Tonara");
        AppVersion = QStringLiteral("1.0");
    }
};

TPairs Sent(const QString &AFeedback, const QString &AEmail = {})
{
    TPairs fields = {{QStringLiteral("cmd"), QStringLiteral("feedback")},
                     {QStringLiteral("appname"), QStringLiteral("Quillaby - Tonara")},
                     {QStringLiteral("version"), QStringLiteral("1.0")},
                     {QStringLiteral("feedback"), AFeedback}};
    if (!AEmail.isEmpty())
        fields += {QStringLiteral("email"), AEmail};
    return fields;
}

} // namespace

TEST_P(SendFeedbackCases, Outcome)
{
    const TSendCase &c = GetParam();
    TFormServer server(c.Https, Answer(QStringLiteral("OK")));
    const TScopedEnv address("TONARA_SERVER", server.Authority().toUtf8());
    EXPECT_EQ(SendFeedback(c.Input), c.Outcome);
    const QList<TRecordedRequest> requests = server.Requests(1, c.Fields.isEmpty() ? 300 : 3000);
    if (c.Fields.isEmpty()) {
        EXPECT_TRUE(requests.isEmpty());
        return;
    }
    ASSERT_FALSE(requests.isEmpty());
    EXPECT_EQ(requests.first().Path, QStringLiteral("/php/feedback.php"));
    EXPECT_EQ(requests.first().Fields, c.Fields);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SendFeedbackCases,
    ::testing::Values(TSendCase{"Delivered", Liked(QStringLiteral("one\ntwo")), Answer(QStringLiteral("OK\r\n")),
                                TFeedbackOutcome::Delivered, Sent(QStringLiteral("I like it!\rone\r\ntwo"))},
                      TSendCase{"EmailTrimmedAndSent", Liked(QString(), QStringLiteral("  ann@example.com \t")),
                                Answer(QStringLiteral("OK")), TFeedbackOutcome::Delivered,
                                Sent(QStringLiteral("I like it!\r"), QStringLiteral("ann@example.com"))},
                      TSendCase{"LowerCaseOkIsNotDelivered", Liked(QStringLiteral("x")), Answer(QStringLiteral("ok")),
                                TFeedbackOutcome::NotDelivered, Sent(QStringLiteral("I like it!\rx"))},
                      TSendCase{"ErrorPageIsNotDelivered", Liked(QStringLiteral("x")),
                                Answer(QStringLiteral("<h1>500</h1>"), 500), TFeedbackOutcome::NotDelivered,
                                Sent(QStringLiteral("I like it!\rx"))},
                      TSendCase{"InvalidEmailSendsNothing",
                                Liked(QStringLiteral("x"), QStringLiteral("ann@localhost")),
                                Answer(QStringLiteral("OK")),
                                TFeedbackOutcome::InvalidEmail,
                                {}},
                      TSendCase{"NothingToSend",
                                TFeedbackInput{TFeedbackChoice::None, {}, {}, QStringLiteral(" \r\n "), {}},
                                Answer(QStringLiteral("OK")),
                                TFeedbackOutcome::NothingToSend,
                                {}}),
    CaseName<TSendCase>);

TEST_F(OnlineFixture, FeedbackFallsBackToHttp)
{
    TFormServer server(Behaviour(QStringLiteral("drop")), Answer(QStringLiteral("OK")));
    const TScopedEnv address("TONARA_SERVER", server.Authority().toUtf8());
    EXPECT_EQ(SendFeedback(Liked(QStringLiteral("x"))), TFeedbackOutcome::Delivered);
    const QList<TRecordedRequest> requests = server.Requests(1);
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests.first().Scheme, QStringLiteral("http"));
}

TEST_F(OnlineFixture, FeedbackWithNoServerIsNotDelivered)
{
    TFormServer server(Behaviour(QStringLiteral("drop")), Behaviour(QStringLiteral("drop")));
    const TScopedEnv address("TONARA_SERVER", server.Authority().toUtf8());
    EXPECT_EQ(SendFeedback(Liked(QStringLiteral("x"))), TFeedbackOutcome::NotDelivered);
}
