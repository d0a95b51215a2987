// Starts the built tonara program under a real X server (the test script runs
// ctest inside xvfb-run) and looks at its window with the X11 utilities.

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "support/FormServer.h"
#include "support/QtPrinters.h"
#include "support/ScopedEnv.h"

namespace {

QString RunTool(const QString &AProgram, const QStringList &AArguments)
{
    QProcess process;
    process.start(AProgram, AArguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// One running tonara, with its own data and settings folders.
class TTonara
{
public:
    explicit TTonara(const QTemporaryDir &AHome, const QStringList &AArguments = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), AHome.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), AHome.filePath(QStringLiteral("config")));
        // A runtime folder of the test's own: a window of another test must not
        // receive this one's files.
        const QString runtime = AHome.filePath(QStringLiteral("runtime"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        FProcess.setProcessEnvironment(environment);
        FProcess.setProcessChannelMode(QProcess::MergedChannels);
        FProcess.start(QStringLiteral(TONARA_EXECUTABLE), AArguments);
        FProcess.waitForStarted(10000);
    }

    ~TTonara()
    {
        FProcess.kill();
        FProcess.waitForFinished(10000);
    }

    // The id of this process's top-level window titled ATitle, or an empty
    // string when it has not appeared within ATimeout.
    QString WaitForWindow(const QString &ATitle, std::chrono::milliseconds ATimeout)
    {
        const QString pid = QString::number(FProcess.processId());
        const QRegularExpression line(
            QStringLiteral("^\\s*(0x[0-9a-f]+) \"%1\":").arg(QRegularExpression::escape(ATitle)),
            QRegularExpression::MultilineOption);
        const QDeadlineTimer deadline(ATimeout);
        while (!deadline.hasExpired() && FProcess.state() == QProcess::Running) {
            const QString tree =
                RunTool(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
            for (auto match = line.globalMatch(tree); match.hasNext();) {
                const QString id = match.next().captured(1);
                if (RunTool(QStringLiteral("xprop"), {QStringLiteral("-id"), id, QStringLiteral("_NET_WM_PID")})
                        .trimmed()
                        .endsWith(QStringLiteral(" = ") + pid))
                    return id;
            }
            QTest::qWait(50); // the X server has no notice for a window of another process
        }
        return QString();
    }

    // What the program wrote, and how it ended if it did.
    std::string Output()
    {
        QString text = QString::fromUtf8(FProcess.readAll());
        if (FProcess.state() == QProcess::NotRunning)
            text += QStringLiteral("\n[ended: exit code %1, %2]").arg(FProcess.exitCode()).arg(FProcess.errorString());
        return text.toStdString();
    }

private:
    QProcess FProcess;
};

class TonaraExecutable : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "no X display: run the tests through scripts/test.sh, which starts Xvfb";
        for (const char *tool : {"xwininfo", "xprop"})
            ASSERT_FALSE(QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                << tool << " missing: install the Debian package x11-utils";
    }

    QTemporaryDir FHome;
};

TEST_F(TonaraExecutable, OpensItsWindowWithTheIdentityOfItsVersionBlock)
{
    TTonara tonara(FHome);
    const QString window = tonara.WaitForWindow(QStringLiteral("Quillaby - Tonara"), std::chrono::seconds(30));
    ASSERT_FALSE(window.isEmpty()) << "no window \"Quillaby - Tonara\"; program output:\n" << tonara.Output();

    const QString properties =
        RunTool(QStringLiteral("xprop"),
                {QStringLiteral("-id"), window, QStringLiteral("_NET_WM_NAME"), QStringLiteral("WM_NAME")});
    EXPECT_EQ(properties, QStringLiteral("_NET_WM_NAME(UTF8_STRING) = \"Quillaby - Tonara\"\n"
                                         "WM_NAME(STRING) = \"Quillaby - Tonara\"\n"));
    const QString info = RunTool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window});
    EXPECT_TRUE(info.contains(QStringLiteral("Width: 520\n"))) << info.toStdString();
    // The client area of 370 pixels lies below the menu bar.
    const auto height = QRegularExpression(QStringLiteral("Height: (\\d+)")).match(info).captured(1).toInt();
    EXPECT_GT(height, 370);
    EXPECT_LT(height, 370 + 60);

    EXPECT_TRUE(QFileInfo(FHome.filePath(QStringLiteral("data/Quillaby/Tonara"))).isDir());
    EXPECT_TRUE(QFileInfo::exists(QStringLiteral("/dev/shm/sem.QUILLABY_Tonara")));
}

TEST_F(TonaraExecutable, ASecondInstanceStartsNormally)
{
    TTonara first(FHome);
    ASSERT_FALSE(first.WaitForWindow(QStringLiteral("Quillaby - Tonara"), std::chrono::seconds(30)).isEmpty())
        << first.Output();
    TTonara second(FHome);
    EXPECT_FALSE(second.WaitForWindow(QStringLiteral("Quillaby - Tonara"), std::chrono::seconds(30)).isEmpty())
        << second.Output();
}

// As a file manager's "Open with" starts it: file names only.
TEST_F(TonaraExecutable, FileNamesOpenTheWindowAndAMissingOneIsReportedAfterIt)
{
    const QString missing = FHome.filePath(QStringLiteral("gone – it's $1.mp3"));
    TTonara tonara(FHome, {missing});
    EXPECT_FALSE(tonara.WaitForWindow(QStringLiteral("Quillaby - Tonara"), std::chrono::seconds(30)).isEmpty())
        << tonara.Output();
    EXPECT_FALSE(tonara.WaitForWindow(QStringLiteral("Warning"), std::chrono::seconds(30)).isEmpty())
        << "no box naming the missing file; program output:\n"
        << tonara.Output();
}

// The update check of a real start, pointed at the local test server, in
// English. The program cannot trust the test's certificate authority, so the
// server refuses https at once and answers over http.
class TonaraUpdateCheck : public TonaraExecutable
{
protected:
    const TScopedEnv FEnglish{"LC_ALL", "C"};

    void StartServer(const TServerScript &AHttp)
    {
        FServer = std::make_unique<TFormServer>(Behaviour(QStringLiteral("drop")), AHttp);
        FAddress = std::make_unique<TScopedEnv>("TONARA_SERVER", FServer->Authority().toUtf8());
    }

    QString StoredCurrentVersion() const
    {
        QSettings settings(FHome.filePath(QStringLiteral("config/Quillaby/Tonara.conf")), QSettings::IniFormat);
        return settings.value(QStringLiteral("Settings/CurrentVersion")).toString();
    }

    std::unique_ptr<TFormServer> FServer;
    std::unique_ptr<TScopedEnv> FAddress;
};

TEST_F(TonaraUpdateCheck, ANewerVersionBringsThePopup)
{
    StartServer(Answer(QStringLiteral("<version>2.0</version>\n<url>https://dl.example.com/t.zip</url>\n\n"
                                      "<result>1</result>\n")));
    TTonara tonara(FHome);
    const QString popup = tonara.WaitForWindow(QStringLiteral("UPDATE AVAILABLE"), std::chrono::seconds(30));
    ASSERT_FALSE(popup.isEmpty()) << "no update popup; program output:\n" << tonara.Output();

    const QList<TRecordedRequest> requests = FServer->Requests(1);
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests[0].Scheme, QStringLiteral("http"));
    EXPECT_EQ(requests[0].Path, QStringLiteral("/php/check2.php"));
    QStringList names;
    for (const auto &[name, value] : requests[0].Fields)
        names << name;
    EXPECT_EQ(names, (QStringList{"cmd", "appname", "version", "computername", "username", "os", "local", "guid"}));
    ASSERT_GE(requests[0].Fields.size(), 3);
    EXPECT_EQ(requests[0].Fields[0].second, QStringLiteral("check"));
    EXPECT_EQ(requests[0].Fields[1].second, QStringLiteral("Quillaby - Tonara"));
    EXPECT_EQ(requests[0].Fields[2].second, QStringLiteral("1.0"));
    EXPECT_EQ(StoredCurrentVersion(), QStringLiteral("2.0"));
    // The window manager is told that the popup takes no focus from the main window.
    EXPECT_TRUE(RunTool(QStringLiteral("xprop"), {QStringLiteral("-id"), popup, QStringLiteral("WM_HINTS")})
                    .contains(QStringLiteral("Client accepts input or input focus: False")));

    // 320 x 68, 5 pixels from the top and right edges of the screen, once slid in.
    const QString root = RunTool(QStringLiteral("xwininfo"), {QStringLiteral("-root")});
    const int screenWidth = QRegularExpression(QStringLiteral("Width: (\\d+)")).match(root).captured(1).toInt();
    const QString expected =
        QStringLiteral("Absolute upper-left X:  %1\n  Absolute upper-left Y:  5\n").arg(screenWidth - 320 - 5);
    QString info;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            info = RunTool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), popup});
            return info.contains(expected) && info.contains(QStringLiteral("Width: 320\n"))
                   && info.contains(QStringLiteral("Height: 68\n"));
        },
        10000))
        << info.toStdString();
}

TEST_F(TonaraUpdateCheck, NoServerNoPopup)
{
    // The address stays the test program's refusing port.
    TTonara tonara(FHome);
    ASSERT_FALSE(tonara.WaitForWindow(QStringLiteral("Quillaby - Tonara"), std::chrono::seconds(30)).isEmpty())
        << tonara.Output();
    // The check starts a second after the window and fails at once; give it ample time.
    EXPECT_TRUE(tonara.WaitForWindow(QStringLiteral("UPDATE AVAILABLE"), std::chrono::seconds(5)).isEmpty());
    EXPECT_TRUE(tonara.WaitForWindow(QStringLiteral("IMPORTANT"), std::chrono::seconds(1)).isEmpty());
    EXPECT_TRUE(StoredCurrentVersion().isEmpty());
}

} // namespace
