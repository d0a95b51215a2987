// One window per user: later starts of the real program with files hand them
// to the window that runs, over the socket in the runtime folder.

#include "gui/AppForm.h"
#include "gui/SingleInstance.h"

#include "gui/UserDialogs.h"
#include "support/ScopedEnv.h"
#include "support/SoundInputs.h"
#include "support/VersionFixture.h"
#include "support/WaitFor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

#include "support/QtPrinters.h"

namespace {

class SingleInstanceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SoundInputs::Make(Sound(QStringLiteral("first.wav")), 0.2));
        ASSERT_TRUE(SoundInputs::Make(Sound(QStringLiteral("second – it's $1.wav")), 0.2));
        TUserDialogs::SetMessageAnswer([this](const QString &AText, const QString &, int) { FMessages << AText; });
    }
    void TearDown() override { TUserDialogs::SetMessageAnswer({}); }

    QString Sound(const QString &AName) const { return FHome.filePath(AName); }

    // A start of the real program, in the folder of the sounds, so the names
    // it gets are relative ones.
    std::unique_ptr<QProcess> Start(const QStringList &AArguments) const
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), FRuntime.path());
        environment.insert(QStringLiteral("XDG_DATA_HOME"), FHome.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), FHome.filePath(QStringLiteral("config")));
        process->setProcessEnvironment(environment);
        process->setWorkingDirectory(FHome.path());
        process->setProcessChannelMode(QProcess::MergedChannels);
        process->start(VersionFixture::TonaraExecutable(), AArguments);
        EXPECT_TRUE(process->waitForStarted(10000));
        return process;
    }

    static bool Answers()
    {
        QLocalSocket socket;
        socket.connectToServer(TSingleInstance::SocketPath());
        return socket.waitForConnected(1000);
    }

    // Waits (with the event loop turning) for a start to end; its exit code.
    static int ExitCodeOf(QProcess &AProcess)
    {
        EXPECT_TRUE(WaitUntil([&] { return AProcess.state() == QProcess::NotRunning; }, 30000))
            << AProcess.readAll().toStdString();
        return AProcess.exitStatus() == QProcess::NormalExit ? AProcess.exitCode() : -1;
    }

    QTemporaryDir FRuntime;
    const TScopedEnv FRuntimeEnv{"XDG_RUNTIME_DIR", FRuntime.path().toUtf8()};
    QTemporaryDir FHome;
    QStringList FMessages;
};

TEST_F(SingleInstanceTest, ALaterStartHandsItsFilesToTheRunningWindowAndEnds)
{
    TAppForm form(nullptr, VersionFixture::TonaraExecutable());
    form.show();
    TSingleInstance instance;
    ASSERT_TRUE(instance.Listen([&form](const QStringList &APaths) { form.OpenFilesFromAnotherStart(APaths); }));
    QTreeWidget *list = form.findChild<QTreeWidget *>(QStringLiteral("ListView1"));
    form.OpenSoundFiles({Sound(QStringLiteral("first.wav"))});

    const auto later = Start({QStringLiteral("second – it's $1.wav"), QStringLiteral("missing.mp3")});
    EXPECT_EQ(ExitCodeOf(*later), 0);
    ASSERT_TRUE(WaitUntil([&] { return list->topLevelItemCount() == 2 && !FMessages.isEmpty(); }));
    EXPECT_EQ(list->topLevelItem(0)->text(0), Sound(QStringLiteral("first.wav")));
    EXPECT_EQ(list->topLevelItem(1)->text(0), Sound(QStringLiteral("second – it's $1.wav")));
    // The missing one is named by the running window, as for a drop.
    ASSERT_EQ(FMessages.size(), 1);
    EXPECT_TRUE(FMessages[0].contains(Sound(QStringLiteral("missing.mp3")))) << FMessages[0].toStdString();
}

TEST_F(SingleInstanceTest, TheSocketOfAKilledWindowDoesNotBlockTheNextOne)
{
    const auto killed = Start({Sound(QStringLiteral("first.wav"))});
    ASSERT_TRUE(WaitUntil([] { return Answers(); }, 30000)) << killed->readAll().toStdString();
    killed->kill(); // SIGKILL: its socket file stays behind
    ASSERT_TRUE(killed->waitForFinished(10000));
    ASSERT_TRUE(QFileInfo::exists(TSingleInstance::SocketPath()));
    ASSERT_FALSE(Answers());

    // The next start with a file opens its window and serves the ones after it.
    const auto next = Start({Sound(QStringLiteral("first.wav"))});
    ASSERT_TRUE(WaitUntil([] { return Answers(); }, 30000)) << next->readAll().toStdString();
    EXPECT_EQ(next->state(), QProcess::Running);
    const auto last = Start({Sound(QStringLiteral("second – it's $1.wav"))});
    EXPECT_EQ(ExitCodeOf(*last), 0);
    EXPECT_EQ(next->state(), QProcess::Running);
    next->terminate();
    EXPECT_EQ(ExitCodeOf(*next), 128 + SIGTERM);
}

TEST_F(SingleInstanceTest, TheCommandLineModeIsNeverHandedOver)
{
    TSingleInstance instance;
    QStringList received;
    ASSERT_TRUE(instance.Listen([&](const QStringList &APaths) { received << APaths; }));
    const auto batch = Start({QStringLiteral("--effect"), QStringLiteral("Echo (Mountains)"), QStringLiteral("--output"),
                              Sound(QStringLiteral("out.wav")), Sound(QStringLiteral("first.wav"))});
    EXPECT_EQ(ExitCodeOf(*batch), 0) << batch->readAll().toStdString();
    EXPECT_TRUE(QFileInfo::exists(Sound(QStringLiteral("out.wav"))));
    EXPECT_TRUE(received.isEmpty());
}

} // namespace
