#include "online/Feedback.h"

#include "identity/AppIdentity.h"
#include "online/EWebRequest.h"
#include "online/EmailAddress.h"
#include "online/FormPost.h"
#include "online/ServerEndpoints.h"
#include "online/TextLines.h"

namespace {

const QString CR = QStringLiteral("\r");
const QString CRLF = QStringLiteral("\r\n");

QString ChosenText(const TFeedbackInput &AInput)
{
    switch (AInput.Choice) {
    case TFeedbackChoice::Like:
        return ChoiceText(QStringLiteral("I like it!"), AInput.LikeCaption) + CR;
    case TFeedbackChoice::Dislike:
        return ChoiceText(QStringLiteral("I dislike it!"), AInput.DislikeCaption) + CR;
    case TFeedbackChoice::None:
        break;
    }
    return {};
}

} // namespace

QString ChoiceText(const QString &AEnglish, const QString &ACaption)
{
    if (ACaption == AEnglish)
        return AEnglish;
    return AEnglish + QStringLiteral(" (") + ACaption + QLatin1Char(')');
}

QString FeedbackMessage(const TFeedbackInput &AInput)
{
    return ChosenText(AInput) + TrimControls(SplitLines(AInput.MemoText).join(CRLF));
}

QStringList FeedbackFields(const QString &AMessage, const QString &AEmail)
{
    QStringList fields = {
        QStringLiteral("cmd=feedback"),
        QStringLiteral("appname=") + AppTitle,
        QStringLiteral("version=") + AppVersion,
        QStringLiteral("feedback=") + AMessage,
    };
    if (!AEmail.isEmpty())
        fields += QStringLiteral("email=") + AEmail;
    return fields;
}

bool IsFeedbackReceived(const QString &AReply)
{
    return TrimControls(SplitLines(AReply).join(CRLF)) == QStringLiteral("OK");
}

TFeedbackOutcome SendFeedback(const TFeedbackInput &AInput)
{
    const QString message = FeedbackMessage(AInput);
    if (message.isEmpty())
        return TFeedbackOutcome::NothingToSend;
    const QString email = TrimControls(AInput.EmailText);
    if (!email.isEmpty() && !IsValidEmail(email))
        return TFeedbackOutcome::InvalidEmail;
    try {
        const QString reply = PostWithFallback(FeedbackAddress(), FeedbackFields(message, email));
        return IsFeedbackReceived(reply) ? TFeedbackOutcome::Delivered : TFeedbackOutcome::NotDelivered;
    } catch (const EWebRequest &) {
        return TFeedbackOutcome::NotDelivered;
    }
}
