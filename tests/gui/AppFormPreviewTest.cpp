// The window's Preview button against a private sound server: what is heard,
// what the window shows meanwhile, and that nothing of Play's is touched.

#include "gui/AppForm.h"

#include "gui/UserDialogs.h"
#include "identity/AppIdentity.h"
#include "support/RecordedMessage.h"
#include "support/SharedPulseServer.h"
#include "support/SoundAnalysis.h"
#include "support/SoundInputs.h"
#include "support/VersionFixture.h"
#include "support/WaitFor.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

class AppFormPreviewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!TSharedPulseServer::Server)
            GTEST_SKIP() << "pulseaudio is not installed";
        ASSERT_TRUE(Server().IsRunning()) << Server().Error().toStdString();
        qputenv("XDG_DATA_HOME", FData.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", FData.filePath(QStringLiteral("config")).toUtf8());
        AppDataFolder.clear();
        TUserDialogs::SetMessageAnswer([this](const QString &AText, const QString &ACaption, int AIcon) {
            FMessages.append({AText, ACaption, AIcon});
        });
        TUserDialogs::SetFileAnswer([this](bool, TUserDialogs::TFileRequest &ARequest) {
            ARequest.FileName = FAnswer;
            return true;
        });
        FForm = std::make_unique<TAppForm>(nullptr, VersionFixture::TonaraExecutable());
        FForm->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(FForm.get()));
        // Shortcuts reach the active window only.
        FForm->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(FForm.get()));
    }

    void TearDown() override
    {
        FForm.reset();
        TUserDialogs::SetMessageAnswer({});
        TUserDialogs::SetFileAnswer({});
        qunsetenv("XDG_DATA_HOME");
        qunsetenv("XDG_CONFIG_HOME");
    }

    static TPulseServer &Server() { return *TSharedPulseServer::Server; }

    void AddFile(const QString &APath)
    {
        FAnswer = APath;
        FForm->findChild<QAction *>(QStringLiteral("AddSoundFile1"))->trigger();
    }

    QPushButton *Button(const char *AName) const { return FForm->findChild<QPushButton *>(QLatin1String(AName)); }
    QString Status() const
    {
        return FForm->findChild<QTreeWidget *>(QStringLiteral("ListView1"))->topLevelItem(0)->text(1);
    }
    // Through the window, as the system delivers keys, so shortcuts take part.
    void PressF5() const { QTest::keyClick(FForm->windowHandle(), Qt::Key_F5); }

    QTemporaryDir FData;
    std::unique_ptr<TAppForm> FForm;
    QList<TMessage> FMessages;
    QString FAnswer;
};

TEST_F(AppFormPreviewTest, F5PlaysStreamedAndStopsWithoutTouchingPlaysState)
{
    const QString tone = FData.filePath(QStringLiteral("tone.wav"));
    ASSERT_TRUE(SoundInputs::Make(tone, 20));
    AddFile(tone);
    // A result of an earlier Play, which the preview must leave as it is.
    QFile work(WorkFile());
    ASSERT_TRUE(work.open(QIODevice::WriteOnly));
    work.write("an earlier result");
    work.close();
    QPushButton *preview = Button("ButtonPreview");
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->size(), Button("ButtonSave")->size());
    EXPECT_GT(preview->x(), Button("ButtonSave")->x());
    ASSERT_TRUE(Server().StartRecording());

    PressF5();
    EXPECT_EQ(preview->text(), QStringLiteral("Stop Preview"));
    // "Robot", the effect at start, leaves a pure tone quiet but audible.
    ASSERT_TRUE(
        WaitUntil([&] { return SoundAnalysis::FirstLoudSample(Server().Recorded(), 100).has_value(); }, 20000));

    // The window answers while it plays: another effect is taken at once.
    auto *effects = FForm->findChild<QComboBox *>(QStringLiteral("ComboBox1"));
    effects->setCurrentIndex(effects->findText(QStringLiteral("Chorus")));
    QTest::qWait(600);
    EXPECT_EQ(preview->text(), QStringLiteral("Stop Preview"));
    PressF5();
    const int64_t stoppedAt = TPulseServer::NowMs();
    QTest::qWait(500);
    const std::vector<int16_t> heard = Server().StopRecording();

    EXPECT_EQ(preview->text(), QStringLiteral("Preview"));
    const size_t quietFrom = size_t((stoppedAt - *Server().RecordingStartMs() + 150) * TPulseServer::Rate / 1000);
    EXPECT_LT(SoundAnalysis::Rms(heard, quietFrom), 30);
    ASSERT_TRUE(work.open(QIODevice::ReadOnly));
    EXPECT_EQ(work.readAll(), QByteArray("an earlier result"));
    EXPECT_EQ(Status(), QString());
    EXPECT_FALSE(Button("ButtonSave")->isEnabled());
    EXPECT_EQ(Button("ButtonPlay")->text(), QStringLiteral("Play"));
    EXPECT_TRUE(FMessages.isEmpty());
}

TEST_F(AppFormPreviewTest, AnInputThatCannotBeReadGivesTheErrorBoxAndNoSound)
{
    AddFile(FData.filePath(QStringLiteral("gone.mp3")));
    ASSERT_TRUE(Server().StartRecording());
    QTest::mouseClick(Button("ButtonPreview"), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return !FMessages.isEmpty(); }, 20000));
    QTest::qWait(300);
    const std::vector<int16_t> heard = Server().StopRecording();

    EXPECT_EQ(FMessages, (QList<TMessage>{{QStringLiteral("Operation Failed!"), QStringLiteral("Error"),
                                           TUserDialogs::IconError}}));
    EXPECT_EQ(Button("ButtonPreview")->text(), QStringLiteral("Preview"));
    EXPECT_EQ(Status(), QString());
    EXPECT_FALSE(SoundAnalysis::FirstLoudSample(heard, 100).has_value());
}
