// Starts the built tonara program under a real X server (the test script runs
// ctest inside xvfb-run) and looks at its window with the X11 utilities.

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "platform/QtPrinters.h"

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
    explicit TTonara(const QTemporaryDir &AHome)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), AHome.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), AHome.filePath(QStringLiteral("config")));
        FProcess.setProcessEnvironment(environment);
        FProcess.setProcessChannelMode(QProcess::MergedChannels);
        FProcess.start(QStringLiteral(TONARA_EXECUTABLE), QStringList());
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

} // namespace
