// The main window's online parts against the local test server: the update
// check its timer starts, the notice, the menu entry and the popup it leaves,
// and "Send Feedback...".
#include "gui/AppForm.h"
#include "gui/FeedbackForm.h"
#include "gui/NewVer.h"
#include "gui/UserDialogs.h"
#include "identity/AppIdentity.h"
#include "identity/SettingsStore.h"
#include "support/CaseName.h"
#include "support/OnlineFixture.h"
#include "support/QtPrinters.h"
#include "support/ScopedEnv.h"
#include "support/TestConfigFolder.h"
#include "support/VersionFixture.h"
#include "support/WaitFor.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

[[maybe_unused]] ::testing::Environment *const ConfigHome =
    ::testing::AddGlobalTestEnvironment(new TTestConfigEnvironment);

// A check reply: version, url, an ignored line, result, an ignored line and the notice.
QString Reply(const QString &AVersion, const QString &AResult, const QString &ANotice = QString())
{
    return QStringLiteral("<version>%1</version>\n<url>https://dl.example.com/t.zip</url>\nignored\n"
                          "<result>%2</result>\nignored\n<important>%3</important>\n")
        .arg(AVersion, AResult, ANotice);
}

class AppFormOnlineTest : public OnlineFixture
{
protected:
    void SetUp() override
    {
        OnlineFixture::SetUp();
        qputenv("XDG_DATA_HOME", FFolder.filePath(QStringLiteral("data")).toUtf8());
        QSettings(QStringLiteral("Quillaby"), QStringLiteral("Tonara")).remove(QStringLiteral("Settings"));
        TUserDialogs::SetMessageAnswer([this](const QString &AText, const QString &ACaption, int AIcon) {
            FMessages << QStringLiteral("%1|%2|%3").arg(AText, ACaption).arg(AIcon);
            if (FOnMessage)
                FOnMessage();
        });
    }

    void TearDown() override
    {
        TUserDialogs::SetMessageAnswer({});
        qunsetenv("XDG_DATA_HOME");
        OnlineFixture::TearDown();
    }

    void StartServer(const TServerScript &AHttps)
    {
        FServer = std::make_unique<TFormServer>(AHttps, Behaviour(QStringLiteral("drop")));
        FAddress = std::make_unique<TScopedEnv>("TONARA_SERVER", FServer->Authority().toUtf8());
    }

    void CreateForm() { FForm = std::make_unique<TAppForm>(nullptr, VersionFixture::TonaraExecutable()); }

    template <typename T> T *Child(const char *AName)
    {
        T *child = FForm->findChild<T *>(QString::fromLatin1(AName));
        EXPECT_NE(child, nullptr) << AName;
        return child;
    }

    // Ticks the update timer by hand until it has seen the check finish.
    bool RunCheck()
    {
        auto *timer = Child<QTimer>("TimerChecker");
        return WaitUntil(
            [&] {
                FForm->TimerCheckerTimer();
                return !timer->isActive();
            },
            15000);
    }

    QTemporaryDir FFolder;
    std::unique_ptr<TFormServer> FServer;
    std::unique_ptr<TScopedEnv> FAddress;
    std::unique_ptr<TAppForm> FForm;
    QStringList FMessages;
    std::function<void()> FOnMessage;
};

} // namespace

TEST_F(AppFormOnlineTest, UpdateTimerStartsOneCheckAboutASecondAfterCreation)
{
    StartServer(Answer(Reply(QStringLiteral("1.0"), QStringLiteral("1"), QStringLiteral("Read <b>me</b>"))));
    CreateForm();
    auto *timer = Child<QTimer>("TimerChecker");
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 1000);
    EXPECT_TRUE(FServer->Requests().isEmpty());

    // The notice is shown on the GUI thread while the check waits for it: the
    // timer goes on ticking meanwhile and starts no second check.
    bool onGuiThread = false;
    bool activeWhileShown = false;
    FOnMessage = [&] {
        onGuiThread = QThread::currentThread() == qApp->thread();
        for (int i = 0; i < 5; ++i)
            FForm->TimerCheckerTimer();
        activeWhileShown = timer->isActive();
    };
    QSignalSpy ticks(timer, &QTimer::timeout);
    ASSERT_TRUE(ticks.wait(3000));
    EXPECT_EQ(FServer->Requests(1).size(), 1);
    ASSERT_TRUE(WaitUntil([&] { return !FMessages.isEmpty(); }, 15000));
    EXPECT_TRUE(onGuiThread);
    EXPECT_TRUE(activeWhileShown);
    EXPECT_EQ(FMessages, QStringList{QStringLiteral("Read <b>me</b>|IMPORTANT|48")});

    EXPECT_TRUE(WaitUntil([&] { return !timer->isActive(); }, 15000));
    EXPECT_EQ(FServer->Requests(2, 300).size(), 1);
    EXPECT_EQ(SettingsStore().ReadString(QStringLiteral("Settings"), QStringLiteral("CurrentVersion"), QString()),
              QStringLiteral("1.0"));
}

TEST_F(AppFormOnlineTest, AnUnreachableServerShowsNothing)
{
    StartServer(Behaviour(QStringLiteral("drop")));
    CreateForm();
    ASSERT_TRUE(RunCheck());
    auto *entry = Child<QAction>("UpdateNotifications1");
    entry->setVisible(true); // hidden actions always report disabled
    EXPECT_FALSE(entry->isEnabled());
    EXPECT_EQ(FForm->findChild<TNewVer *>(), nullptr);
    EXPECT_TRUE(FMessages.isEmpty());
}

TEST_F(AppFormOnlineTest, ASilentServerDoesNotHoldTheWindow)
{
    StartServer(Behaviour(QStringLiteral("silent")));
    CreateForm();
    FForm->TimerCheckerTimer(); // starts the check
    ASSERT_EQ(FServer->Requests(1).size(), 1);
    // The server has the request and keeps it unanswered: the window still
    // handles its events, and the check is still waiting.
    bool handled = false;
    QTimer::singleShot(0, [&] { handled = true; });
    EXPECT_TRUE(WaitUntil([&] { return handled; }));
    FForm->TimerCheckerTimer();
    EXPECT_TRUE(Child<QTimer>("TimerChecker")->isActive());
}

namespace {

struct TFinishCase
{
    const char *Name;
    QString Reply;
    QString ShowUpdate; // null: not stored
    bool Enabled;
    bool Checked;
    bool Popup;
};

void PrintTo(const TFinishCase &ACase, std::ostream *AStream)
{
    *AStream << ACase.Name;
}

class AppFormCheckFinished : public AppFormOnlineTest, public ::testing::WithParamInterface<TFinishCase>
{};

} // namespace

TEST_P(AppFormCheckFinished, SetsTheMenuEntryAndThePopup)
{
    const TFinishCase &c = GetParam();
    if (!c.ShowUpdate.isNull())
        SettingsStore().WriteString(QStringLiteral("Settings"), QStringLiteral("ShowUpdate"), c.ShowUpdate);
    StartServer(Answer(c.Reply));
    CreateForm();
    ASSERT_TRUE(RunCheck());
    auto *entry = Child<QAction>("UpdateNotifications1");
    EXPECT_EQ(entry->isChecked(), c.Checked);
    EXPECT_FALSE(entry->isVisible());
    entry->setVisible(true); // hidden actions always report disabled
    EXPECT_EQ(entry->isEnabled(), c.Enabled);
    auto *popup = FForm->findChild<TNewVer *>();
    ASSERT_EQ(popup != nullptr, c.Popup);
    if (popup) {
        EXPECT_EQ(popup->findChild<QLabel *>(QStringLiteral("Label2"))->text(),
                  QStringLiteral("Click to download Tonara 2.0"));
        EXPECT_TRUE(WaitUntil([&] { return popup->isVisible(); }));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, AppFormCheckFinished,
                         ::testing::Values(TFinishCase{"NotAccepted", Reply("2.0", "2"), {}, false, true, false},
                                           TFinishCase{"NotAcceptedShowUpdateZero", Reply("2.0", "2"), "0", false, true,
                                                       false},
                                           TFinishCase{"SameVersion", Reply("1.0", "1"), {}, true, true, false},
                                           TFinishCase{"ShowUpdateZero", Reply("2.0", "1"), "0", true, false, false},
                                           TFinishCase{"NewerVersion", Reply("2.0", "1"), {}, true, true, true}),
                         CaseName<TFinishCase>);

TEST_F(AppFormOnlineTest, UpdateNotificationsEntryWritesTheSetting)
{
    StartServer(Answer(Reply(QStringLiteral("1.0"), QStringLiteral("1"))));
    CreateForm();
    ASSERT_TRUE(RunCheck());
    auto *entry = Child<QAction>("UpdateNotifications1");
    entry->setVisible(true); // as a later version may show it
    ASSERT_TRUE(entry->isEnabled());
    ASSERT_TRUE(entry->isChecked());
    const auto stored = [] {
        return QSettings(QStringLiteral("Quillaby"), QStringLiteral("Tonara"))
            .value(QStringLiteral("Settings/ShowUpdate"))
            .toString();
    };
    entry->trigger();
    EXPECT_FALSE(entry->isChecked());
    EXPECT_EQ(stored(), QStringLiteral("0"));
    entry->trigger();
    EXPECT_TRUE(entry->isChecked());
    EXPECT_EQ(stored(), QStringLiteral("1"));
}

TEST_F(AppFormOnlineTest, SendFeedbackOpensTheFormModally)
{
    CreateForm();
    FForm->show();
    bool modal = false;
    QTimer::singleShot(0, [&] {
        ASSERT_TRUE(WaitUntil([] { return qobject_cast<TFeedbackForm *>(QApplication::activeModalWidget()); }));
        auto *feedback = qobject_cast<TFeedbackForm *>(QApplication::activeModalWidget());
        modal = feedback->isModal() && feedback->parentWidget() == FForm.get();
        feedback->reject();
    });
    Child<QAction>("SendFeedback1")->trigger();
    EXPECT_TRUE(modal);
}

namespace {

struct TClosedCase
{
    const char *Name;
    double Delay; // seconds the server holds its reply after the request
};

class AppFormClosedDuringCheck : public AppFormOnlineTest, public ::testing::WithParamInterface<TClosedCase>
{};

QString StoredVersion()
{
    return SettingsStore().ReadString(QStringLiteral("Settings"), QStringLiteral("CurrentVersion"), QString());
}

} // namespace

// The window closes just as the server's reply comes in: the check ends with
// the window, and nothing it would have shown or written turns up afterwards.
TEST_P(AppFormClosedDuringCheck, NothingOutlivesTheWindow)
{
    TServerScript script = Answer(Reply(QStringLiteral("2.0"), QStringLiteral("1"), QStringLiteral("News")));
    script.Delay = GetParam().Delay;
    StartServer(script);
    CreateForm();
    FForm->TimerCheckerTimer(); // starts the check
    ASSERT_EQ(FServer->Requests(1).size(), 1);
    FForm.reset();
    const QStringList shown = FMessages;
    const QString stored = StoredVersion();
    // Past the moment the held reply is sent: a check still alive would now use it.
    QTest::qWait(static_cast<int>(GetParam().Delay * 1000) + 500);
    EXPECT_EQ(FMessages, shown);
    EXPECT_EQ(StoredVersion(), stored);
    if (GetParam().Delay > 0.2) {
        EXPECT_TRUE(FMessages.isEmpty());
        EXPECT_TRUE(stored.isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, AppFormClosedDuringCheck,
                         ::testing::Values(TClosedCase{"AtOnce", 0}, TClosedCase{"Soon", 0.1},
                                           TClosedCase{"Later", 0.4}),
                         CaseName<TClosedCase>);
