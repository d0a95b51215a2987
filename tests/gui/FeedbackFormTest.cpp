// The feedback form offscreen, sending to the local test server.
#include "gui/ChoicePanel.h"
#include "gui/FeedbackForm.h"
#include "gui/UserDialogs.h"
#include "identity/AppIdentity.h"
#include "support/CaseName.h"
#include "support/OnlineFixture.h"
#include "support/QtPrinters.h"
#include "support/RecordedMessage.h"
#include "support/ScopedEnv.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

class FeedbackFormTest : public OnlineFixture
{
protected:
    void SetUp() override
    {
        OnlineFixture::SetUp();
        AppProductName = QStringLiteral("Tonara");
        AppTitle = QStringLiteral("Quillaby - Tonara");
        AppVersion = QStringLiteral("1.0");
        TUserDialogs::SetMessageAnswer([this](const QString &AText, const QString &ACaption, int AIcon) {
            FMessages.append({AText, ACaption, AIcon});
            FCursorAtMessage = QGuiApplication::overrideCursor() != nullptr;
        });
        TUserDialogs::SetBeepAnswer([this] { ++FBeeps; });
        FForm = std::make_unique<TFeedbackForm>();
        FForm->show();
    }

    void TearDown() override
    {
        TUserDialogs::SetMessageAnswer({});
        TUserDialogs::SetBeepAnswer({});
        OnlineFixture::TearDown();
    }

    template <typename T> T *Child(const char *AName)
    {
        T *child = FForm->findChild<T *>(QString::fromLatin1(AName));
        EXPECT_NE(child, nullptr) << AName;
        return child;
    }

    // The server answers https with AHttps; a refused https connection falls back to http.
    void StartServer(const TServerScript &AHttps, const TServerScript &AHttp = Behaviour(QStringLiteral("drop")))
    {
        FServer = std::make_unique<TFormServer>(AHttps, AHttp);
        FAddress = std::make_unique<TScopedEnv>("TONARA_SERVER", FServer->Authority().toUtf8());
    }

    std::unique_ptr<TFeedbackForm> FForm;
    std::unique_ptr<TFormServer> FServer;
    std::unique_ptr<TScopedEnv> FAddress;
    QList<TMessage> FMessages;
    int FBeeps = 0;
    bool FCursorAtMessage = false;
};

struct TPanelLook
{
    QColor Window;
    QColor Text;
    QFrame::Shadow Shadow;
};

TPanelLook LookOf(const TChoicePanel *APanel)
{
    return {APanel->palette().color(QPalette::Window), APanel->palette().color(QPalette::WindowText),
            APanel->frameShadow()};
}

void ExpectLook(const TChoicePanel *APanel, bool AChosen)
{
    const QPalette system = QApplication::palette();
    const TPanelLook look = LookOf(APanel);
    EXPECT_EQ(look.Window, system.color(AChosen ? QPalette::Highlight : QPalette::Button))
        << qPrintable(APanel->objectName());
    EXPECT_EQ(look.Text, system.color(AChosen ? QPalette::HighlightedText : QPalette::WindowText))
        << qPrintable(APanel->objectName());
    EXPECT_EQ(look.Shadow, AChosen ? QFrame::Sunken : QFrame::Raised) << qPrintable(APanel->objectName());
    EXPECT_EQ(APanel->Chosen(), AChosen) << qPrintable(APanel->objectName());
}

} // namespace

TEST_F(FeedbackFormTest, TextsAndLimits)
{
    EXPECT_EQ(FForm->windowTitle(), QStringLiteral("Tonara feedback"));
    EXPECT_EQ(Child<TChoicePanel>("Panel4")->text(), QStringLiteral("I like it!"));
    EXPECT_EQ(Child<TChoicePanel>("Panel5")->text(), QStringLiteral("I dislike it!"));
    EXPECT_EQ(Child<QPushButton>("BitBtn1")->text(), QStringLiteral("Send"));
    EXPECT_TRUE(Child<QPushButton>("BitBtn1")->isDefault());
    EXPECT_EQ(FForm->size(), QSize(525, 326));

    auto *edit = Child<QLineEdit>("Edit1");
    QTest::keyClicks(edit, QString(120, QLatin1Char('a')));
    EXPECT_EQ(edit->text().size(), 100);

    auto *memo = Child<QPlainTextEdit>("Memo1");
    memo->insertPlainText(QString(9995, QLatin1Char('m')));
    memo->insertPlainText(QStringLiteral("0123456789"));
    EXPECT_EQ(memo->toPlainText(), QString(9995, QLatin1Char('m')) + QStringLiteral("01234"));
    QTest::keyClicks(memo, QStringLiteral("xyz"));
    EXPECT_EQ(memo->toPlainText().size(), TFeedbackForm::MemoMaxLength);
}

TEST_F(FeedbackFormTest, ChoicePanelsSwitchButNeverClear)
{
    auto *like = Child<TChoicePanel>("Panel4");
    auto *dislike = Child<TChoicePanel>("Panel5");
    ExpectLook(like, false);
    ExpectLook(dislike, false);

    QTest::mouseClick(like, Qt::LeftButton);
    ExpectLook(like, true);
    ExpectLook(dislike, false);

    // The picture passes its click on to its panel.
    QTest::mouseClick(Child<QLabel>("Image2"), Qt::LeftButton);
    ExpectLook(like, false);
    ExpectLook(dislike, true);

    QTest::mouseClick(dislike, Qt::LeftButton);
    ExpectLook(dislike, true);
    QTest::mouseClick(like, Qt::RightButton);
    ExpectLook(like, false);
}

class FeedbackFormEscape : public FeedbackFormTest, public ::testing::WithParamInterface<const char *>
{};

TEST_P(FeedbackFormEscape, ClosesTheForm)
{
    auto *control = Child<QWidget>(GetParam());
    control->setFocus();
    QTest::keyClick(control, Qt::Key_Escape);
    EXPECT_FALSE(FForm->isVisible());
    EXPECT_EQ(FForm->result(), QDialog::Rejected);
}

INSTANTIATE_TEST_SUITE_P(Controls, FeedbackFormEscape, ::testing::Values("Memo1", "Edit1", "BitBtn1"),
                         [](const auto &AInfo) { return std::string(AInfo.param); });

namespace {

struct TSendCase
{
    const char *Name;
    bool Like;
    QString Memo;
    QString Email;
    TServerScript Https;
    QList<TMessage> Messages; // none: only a beep
    QString SentFeedback;     // null: nothing reaches the server
};

void PrintTo(const TSendCase &ACase, std::ostream *AStream)
{
    *AStream << ACase.Name;
}

const TMessage Delivered{QStringLiteral("Your feedback is received.\r\rThank you!"), QStringLiteral("Success"), 64};
const TMessage NotDelivered{QStringLiteral("Something went wrong. Your feedback could not be delivered.\r\r"
                                           "Please try again later."),
                            QStringLiteral("Failure"), 16};
const TMessage InvalidEmail{QStringLiteral("Invalid e-mail address!"), QStringLiteral("Failure"), 16};

class FeedbackFormSend : public FeedbackFormTest, public ::testing::WithParamInterface<TSendCase>
{};

} // namespace

TEST_P(FeedbackFormSend, Outcome)
{
    const TSendCase &c = GetParam();
    StartServer(c.Https);
    if (c.Like)
        QTest::mouseClick(Child<TChoicePanel>("Panel4"), Qt::LeftButton);
    Child<QPlainTextEdit>("Memo1")->setPlainText(c.Memo);
    Child<QLineEdit>("Edit1")->setText(c.Email);

    QTest::mouseClick(Child<QPushButton>("BitBtn1"), Qt::LeftButton);

    EXPECT_EQ(FBeeps, c.Messages.isEmpty() ? 1 : 0);
    EXPECT_EQ(FMessages, c.Messages);
    EXPECT_FALSE(FCursorAtMessage);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    const bool delivered = c.Messages == QList<TMessage>{Delivered};
    EXPECT_EQ(FForm->isVisible(), !delivered);
    if (!delivered) {
        // Everything typed is still there for another try.
        EXPECT_EQ(Child<TChoicePanel>("Panel4")->Chosen(), c.Like);
        EXPECT_EQ(Child<QPlainTextEdit>("Memo1")->toPlainText(), c.Memo);
        EXPECT_EQ(Child<QLineEdit>("Edit1")->text(), c.Email);
    }
    const QList<TRecordedRequest> requests = FServer->Requests(1, c.SentFeedback.isNull() ? 300 : 3000);
    if (c.SentFeedback.isNull()) {
        EXPECT_TRUE(requests.isEmpty());
        return;
    }
    ASSERT_FALSE(requests.isEmpty());
    EXPECT_EQ(requests.first().Path, QStringLiteral("/php/feedback.php"));
    TRecordedRequest::TPairs expected = {{QStringLiteral("cmd"), QStringLiteral("feedback")},
                                         {QStringLiteral("appname"), QStringLiteral("Quillaby - Tonara")},
                                         {QStringLiteral("version"), QStringLiteral("1.0")},
                                         {QStringLiteral("feedback"), c.SentFeedback}};
    if (!c.Email.trimmed().isEmpty())
        expected += {QStringLiteral("email"), c.Email.trimmed()};
    EXPECT_EQ(requests.first().Fields, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FeedbackFormSend,
    ::testing::Values(
        TSendCase{"EmptyMessageOnlyBeeps", false, " \n \n", {}, Answer("OK"), {}, {}},
        TSendCase{"InvalidAddressKeepsTheFormOpen", true, "hi", "ann@localhost", Answer("OK"), {InvalidEmail}, {}},
        TSendCase{"DeliveredClosesTheForm",
                  true,
                  "one\ntwo",
                  " ann@example.com ",
                  Answer("OK\r\n"),
                  {Delivered},
                  "I like it!\rone\r\ntwo"},
        TSendCase{"OnlyAChoiceIsSent", true, {}, {}, Answer("OK"), {Delivered}, "I like it!\r"},
        TSendCase{"NotDeliveredKeepsEverything",
                  true,
                  "one\ntwo",
                  "ann@example.com",
                  Answer("ok"),
                  {NotDelivered},
                  "I like it!\rone\r\ntwo"},
        TSendCase{"ErrorPageIsNotDelivered", false, "text", {}, Answer("<h1>500</h1>", 500), {NotDelivered}, "text"},
        // "OK" and then more than the protocol's replies ever hold: not read on.
        TSendCase{"OversizedReplyIsNotDelivered",
                  false,
                  "text",
                  {},
                  Answer(QStringLiteral("OK") + QString(70000, u' ')),
                  {NotDelivered},
                  "text"}),
    CaseName<TSendCase>);

TEST_F(FeedbackFormTest, NoServerIsNotDelivered)
{
    StartServer(Behaviour(QStringLiteral("drop")));
    Child<QPlainTextEdit>("Memo1")->setPlainText(QStringLiteral("text"));
    QTest::mouseClick(Child<QPushButton>("BitBtn1"), Qt::LeftButton);
    EXPECT_EQ(FMessages, QList<TMessage>{NotDelivered});
    EXPECT_TRUE(FForm->isVisible());
}

TEST_F(FeedbackFormTest, EnterInTheEmailBoxSends)
{
    StartServer(Answer(QStringLiteral("OK")));
    Child<QPlainTextEdit>("Memo1")->setPlainText(QStringLiteral("text"));
    auto *edit = Child<QLineEdit>("Edit1");
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("ann@example.com"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(FMessages, QList<TMessage>{Delivered});
    EXPECT_FALSE(FForm->isVisible());
}

// The system colours change while the form is open: the choice stays what the
// user clicked, drawn in the new colours, and that is what is sent.
TEST_F(FeedbackFormTest, ColourChangeKeepsTheChoice)
{
    StartServer(Answer(QStringLiteral("OK")));
    const QPalette before = QApplication::palette();
    QTest::mouseClick(Child<TChoicePanel>("Panel4"), Qt::LeftButton);
    QPalette changed = before;
    changed.setColor(QPalette::Button, QColor(0x12, 0x34, 0x56));
    changed.setColor(QPalette::Highlight, before.color(QPalette::Button));
    QApplication::setPalette(changed);
    ExpectLook(Child<TChoicePanel>("Panel4"), true);
    ExpectLook(Child<TChoicePanel>("Panel5"), false);
    Child<QPlainTextEdit>("Memo1")->setPlainText(QStringLiteral("text"));
    QTest::mouseClick(Child<QPushButton>("BitBtn1"), Qt::LeftButton);
    QApplication::setPalette(before);
    const QList<TRecordedRequest> requests = FServer->Requests(1);
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests.first().Fields.at(3).second, QStringLiteral("I like it!\rtext"));
}

// Opened over a window in a corner of the screen, the form still comes up in
// the middle of the screen.
TEST_F(FeedbackFormTest, CentredOnTheScreen)
{
    QWidget owner;
    owner.setGeometry(10, 10, 200, 150);
    owner.show();
    TFeedbackForm form(&owner);
    form.show();
    // Within the width of the window's frame, which is not known before it shows.
    const QPoint off = form.frameGeometry().center() - QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE(off.manhattanLength(), 8) << off.x() << "," << off.y();
}
