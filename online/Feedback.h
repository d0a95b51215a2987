#pragma once

#include <QString>
#include <QStringList>

// Which of the two choice panels the user picked.
enum class TFeedbackChoice { None, Like, Dislike };

// What the feedback form holds when Send is pressed.
struct TFeedbackInput
{
    TFeedbackChoice Choice = TFeedbackChoice::None;
    QString LikeCaption;    // the "I like it!" panel's caption as shown (maybe translated)
    QString DislikeCaption; // the "I dislike it!" panel's caption as shown
    QString MemoText;       // the message box's text, lines broken any way
    QString EmailText;      // the e-mail box's text, untrimmed
};

// How a send ended; the form beeps, warns, thanks or reports the failure.
enum class TFeedbackOutcome { NothingToSend, InvalidEmail, Delivered, NotDelivered };

// Validates, builds and posts the feedback (https first, then http), blocking
// until the server answered or both attempts failed.
TFeedbackOutcome SendFeedback(const TFeedbackInput &AInput);

// The English choice text, with the shown caption in brackets when it differs:
// "I like it! (Gefällt mir!)".
QString ChoiceText(const QString &AEnglish, const QString &ACaption);

// The chosen text followed by CR (no LF), then the memo's lines joined by CR LF
// and trimmed of blanks and control characters. Empty: nothing to send.
QString FeedbackMessage(const TFeedbackInput &AInput);

// cmd, appname, version, feedback and, when not empty, email.
QStringList FeedbackFields(const QString &AMessage, const QString &AEmail);

// The server took the message: its reply, lines joined by CR LF and trimmed, is "OK".
bool IsFeedbackReceived(const QString &AReply);
