// The update check against the local server: what it sends, what it writes to
// the settings, what it publishes, and the notice it waits for.
#include "identity/AppIdentity.h"
#include "identity/SettingsStore.h"
#include "online/Checker.h"
#include "online/ClientIdentity.h"
#include "support/OnlineFixture.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "support/CaseName.h"
#include "support/TestConfigFolder.h"
#include <chrono>
#include <mutex>
#include <thread>

#include "support/QtPrinters.h"
#include "support/ScopedEnv.h"

namespace {

[[maybe_unused]] ::testing::Environment *const ConfigHome =
    ::testing::AddGlobalTestEnvironment(new TTestConfigEnvironment);

const QString Absent = QStringLiteral("<absent>");

QString Stored(const QString &AName)
{
    return SettingsStore().ReadString(QStringLiteral("Settings"), AName, Absent);
}

QString Today()
{
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
}

// A check reply: version, url, an ignored line, result and, when given, an
// ignored line and the notice.
QString Reply(const QString &AVersion, const QString &AUrl, const QString &AResult, const QString &ANotice = {})
{
    QString reply = QStringLiteral("<version>%1</version>\r\n<url>%2</url>\r\nignored\r\n<result>%3</result>\r\n")
                        .arg(AVersion, AUrl, AResult);
    if (!ANotice.isNull())
        reply += QStringLiteral("ignored\r\n<important>%1</important>\r\n").arg(ANotice);
    return reply;
}

class CheckerFixture : public OnlineFixture
{
protected:
    void SetUp() override
    {
        OnlineFixture::SetUp();
        AppTitle = QStringLiteral("Quillaby - Tonara");
        AppVersion = QStringLiteral("1.9");
        QSettings settings(QStringLiteral("Quillaby"), QStringLiteral("Tonara"));
        settings.remove(QStringLiteral("Settings"));
        settings.sync();
    }

    // Runs one check on this thread against a server answering AHttps over https.
    std::shared_ptr<TUpdateCheckResults> Check(const TServerScript &AHttps, const QString &AShowUpdate = {})
    {
        if (!AShowUpdate.isNull())
            SettingsStore().WriteString(QStringLiteral("Settings"), QStringLiteral("ShowUpdate"), AShowUpdate);
        FServer = std::make_unique<TFormServer>(AHttps, Behaviour(QStringLiteral("drop")));
        const TScopedEnv address("TONARA_SERVER", FServer->Authority().toUtf8());
        auto results = std::make_shared<TUpdateCheckResults>();
        TChecker(results, Recorder()).Execute();
        return results;
    }

    // A notice hook that only records. Called on the check's thread, so guarded.
    TShowNotice Recorder()
    {
        return [this](const QString &ANotice, std::stop_token) {
            const std::lock_guard lock(FNoticesMutex);
            FNotices += ANotice;
        };
    }

    QStringList Notices()
    {
        const std::lock_guard lock(FNoticesMutex);
        return FNotices;
    }

    std::unique_ptr<TFormServer> FServer;
    std::mutex FNoticesMutex;
    QStringList FNotices;
};

struct TCheckCase
{
    const char *Name;
    QString Reply;
    QString ShowUpdate; // null: not stored
    bool Switch;        // UpdateSwitchAvailable
    bool Update;        // UpdateAvailable, and LastUpdateInform written
    int ShowUpdateValue;
    QString CurrentVersion; // Absent: not written
    QStringList Notices;
};

class CheckerCases : public CheckerFixture, public ::testing::WithParamInterface<TCheckCase>
{};

} // namespace

TEST_P(CheckerCases, Outcome)
{
    const TCheckCase &c = GetParam();
    const auto results = Check(Answer(c.Reply), c.ShowUpdate);
    EXPECT_TRUE(results->CheckFinished.load(std::memory_order_acquire));
    EXPECT_EQ(results->UpdateSwitchAvailable, c.Switch);
    EXPECT_EQ(results->UpdateAvailable, c.Update);
    EXPECT_EQ(results->ShowUpdateValue, c.ShowUpdateValue);
    EXPECT_EQ(Stored(QStringLiteral("CurrentVersion")), c.CurrentVersion);
    EXPECT_EQ(Stored(QStringLiteral("LastUpdateInform")), c.Update ? Today() : Absent);
    EXPECT_EQ(FNotices, c.Notices);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CheckerCases,
    ::testing::Values(
        TCheckCase{"HigherVersion", Reply("1.10", "http://x/", "1"), {}, true, true, 1, "1.10", {}},
        TCheckCase{"SameVersion", Reply("1.9", "http://x/", "1"), {}, true, false, 1, "1.9", {}},
        TCheckCase{"LowerVersion", Reply("1.8", "http://x/", "0"), {}, true, true, 1, "1.8", {}},
        TCheckCase{"EmptyVersion", Reply("", "http://x/", "1"), {}, true, false, 1, "", {}},
        TCheckCase{"LetterAfterDigits", Reply("2.0b", "http://x/", "1"), {}, true, false, 1, "2.0b", {}},
        TCheckCase{"ResultTwo", Reply("2.0", "http://x/", "2", "Hello"), {}, false, false, 1, Absent, {}},
        TCheckCase{"ThreeLines",
                   "<version>2.0</version>\n<url>u</url>\n<result>1</result>\n",
                   {},
                   false,
                   false,
                   1,
                   Absent,
                   {}},
        TCheckCase{"ShowUpdateZero", Reply("2.0", "http://x/", "1"), "0", true, false, 0, "2.0", {}},
        TCheckCase{"ShowUpdateTwo", Reply("2.0", "http://x/", "1"), "2", true, false, 2, "2.0", {}},
        TCheckCase{"ShowUpdateNotANumber", Reply("2.0", "http://x/", "1"), "yes", true, true, 1, "2.0", {}},
        TCheckCase{
            "NoticeShownWithoutPopup", Reply("1.9", "u", "1", " Read me "), {}, true, false, 1, "1.9", {" Read me "}},
        TCheckCase{"NoticeAndPopup", Reply("2.0", "u", "1", "News"), {}, true, true, 1, "2.0", {"News"}},
        TCheckCase{"BlankNoticeNotShown", Reply("2.0", "u", "1", "  \t "), {}, true, true, 1, "2.0", {}},
        TCheckCase{
            "ErrorPageIsNotAccepted", "<html><body>502 Bad Gateway</body></html>", {}, false, false, 1, Absent, {}}),
    CaseName<TCheckCase>);

TEST_F(CheckerFixture, SendsCheckAndIdentity)
{
    const auto results = Check(Answer(Reply("2.0", "https://dl.example.com/t.zip", "1")));
    const QList<TRecordedRequest> requests = FServer->Requests(1);
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests.first().Scheme, QStringLiteral("https"));
    EXPECT_EQ(requests.first().Path, QStringLiteral("/php/check2.php"));
    QStringList sent;
    for (const auto &[name, value] : requests.first().Fields)
        sent += name + QLatin1Char('=') + value;
    EXPECT_EQ(sent, QStringList{QStringLiteral("cmd=check")} + ClientIdentityFields());
    EXPECT_EQ(results->ServerVersion, QStringLiteral("2.0"));
    EXPECT_EQ(results->UpdateURL, QStringLiteral("https://dl.example.com/t.zip"));
}

TEST_F(CheckerFixture, NoServerLeavesEverythingAsItWas)
{
    TFormServer server(Behaviour(QStringLiteral("drop")), Behaviour(QStringLiteral("drop")));
    const TScopedEnv address("TONARA_SERVER", server.Authority().toUtf8());
    auto results = std::make_shared<TUpdateCheckResults>();
    TChecker(results, Recorder()).Execute();
    EXPECT_TRUE(results->CheckFinished.load(std::memory_order_acquire));
    EXPECT_FALSE(results->UpdateSwitchAvailable);
    EXPECT_FALSE(results->UpdateAvailable);
    EXPECT_EQ(Stored(QStringLiteral("CurrentVersion")), Absent);
    EXPECT_TRUE(results->ServerVersion.isNull());
}

TEST_F(CheckerFixture, FallsBackToHttp)
{
    TFormServer server(Behaviour(QStringLiteral("drop")), Answer(Reply("2.0", "u", "1")));
    const TScopedEnv address("TONARA_SERVER", server.Authority().toUtf8());
    auto results = std::make_shared<TUpdateCheckResults>();
    TChecker(results, {}).Execute();
    EXPECT_TRUE(results->UpdateAvailable);
}

// The check on its own thread, as the main window starts it: the notice goes to
// the GUI thread, and the check goes on only after it was closed.
TEST_F(CheckerFixture, OwnThreadWaitsForTheNotice)
{
    TFormServer server(Answer(Reply("2.0", "https://dl.example.com/t.zip", "1", "Please read")),
                       Behaviour(QStringLiteral("drop")));
    const TScopedEnv address("TONARA_SERVER", server.Authority().toUtf8());
    auto results = std::make_shared<TUpdateCheckResults>();
    const std::thread::id guiThread = std::this_thread::get_id();
    std::thread::id checkThread;
    std::thread::id shownOn;
    QString shown;
    bool finishedWhileShown = true;
    QString informedWhileShown;
    TShowNotice showNotice = [&](const QString &ANotice, std::stop_token) {
        checkThread = std::this_thread::get_id();
        QMetaObject::invokeMethod(
            qApp,
            [&] {
                shownOn = std::this_thread::get_id();
                shown = ANotice;
                finishedWhileShown = results->CheckFinished.load(std::memory_order_acquire);
                informedWhileShown = Stored(QStringLiteral("LastUpdateInform"));
            },
            Qt::BlockingQueuedConnection);
    };
    const std::jthread check = TChecker::Start(results, showNotice);
    EXPECT_TRUE(QTest::qWaitFor([&] { return results->CheckFinished.load(std::memory_order_acquire); }, 15000));

    EXPECT_NE(checkThread, guiThread);
    EXPECT_EQ(shownOn, guiThread);
    EXPECT_EQ(shown, QStringLiteral("Please read"));
    EXPECT_FALSE(finishedWhileShown);
    EXPECT_EQ(informedWhileShown, Absent);
    EXPECT_TRUE(results->UpdateSwitchAvailable);
    EXPECT_TRUE(results->UpdateAvailable);
    EXPECT_EQ(Stored(QStringLiteral("LastUpdateInform")), Today());
    EXPECT_EQ(results->ServerVersion, QStringLiteral("2.0"));
    // The thread lets go of the results when it ends: the checker was freed.
    EXPECT_TRUE(QTest::qWaitFor([&] { return results.use_count() == 1; }, 5000));
}

// The window's side of the hand-over without an event loop in between, so that
// nothing but CheckFinished orders the results (what ThreadSanitizer checks).
TEST_F(CheckerFixture, ResultsPublishedBeforeCheckFinished)
{
    TFormServer server(Answer(Reply("2.0", "https://dl.example.com/t.zip", "1")), Behaviour(QStringLiteral("drop")));
    const TScopedEnv address("TONARA_SERVER", server.Authority().toUtf8());
    auto results = std::make_shared<TUpdateCheckResults>();
    const std::jthread check = TChecker::Start(results, {});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (!results->CheckFinished.load(std::memory_order_acquire) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(results->CheckFinished.load(std::memory_order_acquire));
    EXPECT_TRUE(results->UpdateSwitchAvailable);
    EXPECT_TRUE(results->UpdateAvailable);
    EXPECT_EQ(results->ShowUpdateValue, 1);
    EXPECT_EQ(results->ServerVersion, QStringLiteral("2.0"));
    EXPECT_EQ(results->UpdateURL, QStringLiteral("https://dl.example.com/t.zip"));
}

// "LastUpdateInform" cannot be written (a folder stands where the settings file
// belongs): the popup is not wanted, while the rest of the reply still counts.
TEST_F(CheckerFixture, FailedInformWriteSuppressesThePopup)
{
    const QString file = QSettings(QStringLiteral("Quillaby"), QStringLiteral("Tonara")).fileName();
    ASSERT_TRUE(QFile::remove(file) || !QFile::exists(file));
    ASSERT_TRUE(QDir().mkpath(file));
    const auto results = Check(Answer(Reply("2.0", "http://x/", "1")));
    EXPECT_TRUE(QDir(file).removeRecursively());
    EXPECT_TRUE(results->UpdateSwitchAvailable);
    EXPECT_EQ(results->ServerVersion, QStringLiteral("2.0"));
    EXPECT_FALSE(results->UpdateAvailable);
}

// The owner goes away while the server still holds its reply: the stop ends the
// wait, and the reply that comes later is neither shown nor written.
TEST_F(CheckerFixture, StopEndsTheCheckBeforeTheHeldReply)
{
    TServerScript held = Answer(Reply("2.0", "http://x/", "1", "News"));
    held.Delay = 0.5;
    TFormServer server(held, Behaviour(QStringLiteral("drop")));
    const TScopedEnv address("TONARA_SERVER", server.Authority().toUtf8());
    auto results = std::make_shared<TUpdateCheckResults>();
    {
        const std::jthread check = TChecker::Start(results, Recorder());
        ASSERT_EQ(server.Requests(1).size(), 1);
    } // stopped and joined here
    EXPECT_TRUE(results->CheckFinished.load(std::memory_order_acquire));
    EXPECT_EQ(results.use_count(), 1); // the thread has let go of everything
    std::this_thread::sleep_for(std::chrono::milliseconds(800)); // past the held reply
    EXPECT_FALSE(results->UpdateSwitchAvailable);
    EXPECT_TRUE(Notices().isEmpty());
    EXPECT_EQ(Stored(QStringLiteral("CurrentVersion")), Absent);
}
