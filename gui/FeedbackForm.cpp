#include "gui/FeedbackForm.h"

#include "gui/UserDialogs.h"
#include "i18n/Language.h"
#include "identity/AppIdentity.h"
#include "ui_FeedbackForm.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTextCursor>

namespace {

const QString CR = QStringLiteral("\r");

} // namespace

TFeedbackForm::TFeedbackForm(QWidget *AParent)
    : QDialog(AParent)
    , FUi(std::make_unique<Ui::TFeedbackForm>())
{
    FUi->setupUi(this);
    // A fixed border with only the close button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(525, 326);
    CentreOnScreen();
    ConnectHandlers();
    FormCreate();
    FUi->Memo1->setFocus();
}

TFeedbackForm::~TFeedbackForm() = default;

void TFeedbackForm::CentreOnScreen()
{
    // Placed before it shows, so that the dialog no longer centres itself over its owner.
    const QScreen *screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    QRect area(QPoint(), size());
    area.moveCenter(screen->availableGeometry().center());
    move(area.topLeft());
}

void TFeedbackForm::FormCreate()
{
    setWindowTitle(AppProductName + QLatin1Char(' ') + Translate(QStringLiteral("feedback")));
    FUi->Label1->setText(Translate(QStringLiteral("We would really appreciate your feedback.")));
    FUi->Label2->setText(Translate(QStringLiteral("What did you like or dislike?")));
    FUi->Label3->setText(Translate(QStringLiteral("Include my e-mail:")));
    FUi->BitBtn1->setText(Translate(QStringLiteral("Send")));
    FUi->Panel4->setText(Translate(QStringLiteral("I like it!")));
    FUi->Panel5->setText(Translate(QStringLiteral("I dislike it!")));
}

void TFeedbackForm::ConnectHandlers()
{
    // Escape in the memo, the e-mail box or on Send closes the form as QDialog does.
    connect(FUi->Panel4, &TChoicePanel::Click, this, &TFeedbackForm::Image1Click);
    connect(FUi->Panel5, &TChoicePanel::Click, this, &TFeedbackForm::Image2Click);
    connect(FUi->BitBtn1, &QPushButton::clicked, this, &TFeedbackForm::BitBtn1Click);
    connect(FUi->Memo1, &QPlainTextEdit::textChanged, this, &TFeedbackForm::Memo1Change);
}

void TFeedbackForm::Image1Click()
{
    // A choice can be switched, never taken back.
    FUi->Panel4->SetChosen(true);
    FUi->Panel5->SetChosen(false);
}

void TFeedbackForm::Image2Click()
{
    FUi->Panel5->SetChosen(true);
    FUi->Panel4->SetChosen(false);
}

void TFeedbackForm::Memo1Change()
{
    // QPlainTextEdit has no length limit of its own: what goes beyond it is
    // taken back from just before the cursor, where it was typed or pasted.
    const int excess = FUi->Memo1->document()->characterCount() - 1 - MemoMaxLength;
    if (excess <= 0)
        return;
    QTextCursor cursor = FUi->Memo1->textCursor();
    cursor.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, excess);
    cursor.removeSelectedText();
    FUi->Memo1->setTextCursor(cursor);
}

TFeedbackInput TFeedbackForm::Input() const
{
    TFeedbackInput input;
    if (FUi->Panel4->Chosen())
        input.Choice = TFeedbackChoice::Like;
    else if (FUi->Panel5->Chosen())
        input.Choice = TFeedbackChoice::Dislike;
    input.LikeCaption = FUi->Panel4->text();
    input.DislikeCaption = FUi->Panel5->text();
    input.MemoText = FUi->Memo1->toPlainText();
    input.EmailText = FUi->Edit1->text();
    return input;
}

void TFeedbackForm::BitBtn1Click()
{
    Report(Send(Input()));
}

TFeedbackOutcome TFeedbackForm::Send(const TFeedbackInput &AInput)
{
    // The request blocks the form and the main window until the server answers
    // or both attempts have failed; the cursor says so.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const TFeedbackOutcome outcome = SendFeedback(AInput);
    QGuiApplication::restoreOverrideCursor();
    return outcome;
}

void TFeedbackForm::Report(TFeedbackOutcome AOutcome)
{
    switch (AOutcome) {
    case TFeedbackOutcome::NothingToSend:
        TUserDialogs::MessageBeep();
        break;
    case TFeedbackOutcome::InvalidEmail:
        TUserDialogs::ShowMessage(Translate(QStringLiteral("Invalid e-mail address!")),
                                  Translate(QStringLiteral("Failure")), TUserDialogs::IconError);
        break;
    case TFeedbackOutcome::Delivered:
        TUserDialogs::ShowMessage(Translate(QStringLiteral("Your feedback is received.")) + CR + CR
                                      + Translate(QStringLiteral("Thank you!")),
                                  Translate(QStringLiteral("Success")), TUserDialogs::IconInformation);
        accept();
        break;
    case TFeedbackOutcome::NotDelivered:
        TUserDialogs::ShowMessage(
            Translate(QStringLiteral("Something went wrong. Your feedback could not be delivered.")) + CR + CR
                + Translate(QStringLiteral("Please try again later.")),
            Translate(QStringLiteral("Failure")), TUserDialogs::IconError);
        break;
    }
}
