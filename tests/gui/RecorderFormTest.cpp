// The recorder window driven by mouse and keyboard against the private sound
// server, from the main window's menu to an effect run on the recording.

#include "gui/AppForm.h"
#include "gui/RecorderForm.h"
#include "gui/UserDialogs.h"
#include "identity/AppIdentity.h"
#include "support/PulseServer.h"
#include "support/RecordedMessage.h"
#include "support/ScopedEnv.h"
#include "support/SoundAnalysis.h"
#include "support/TestFolder.h"
#include "support/VersionFixture.h"
#include "support/WaitFor.h"

#include <QAudioDevice>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QMediaDevices>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <QtEndian>
#include <csignal>
#include <gtest/gtest.h>

class RecorderFormTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!TPulseServer::Installed())
            GTEST_SKIP() << "pulseaudio is not installed";
        ASSERT_TRUE(FServer.IsRunning()) << FServer.Error().toStdString();
        std::signal(SIGPIPE, SIG_IGN); // the microphone's feeder, once it is unplugged
        AppDataFolder.clear();
        TUserDialogs::SetMessageAnswer([this](const QString &AText, const QString &ACaption, int AIcon) {
            FMessages.append({AText, ACaption, AIcon});
        });
        FForm = std::make_unique<TAppForm>(nullptr, VersionFixture::TonaraExecutable());
        FForm->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(FForm.get()));
    }

    void TearDown() override
    {
        FForm.reset();
        TUserDialogs::SetMessageAnswer({});
    }

    // Ctrl+R in the main window: the recorder window it opens.
    TRecorderForm *OpenRecorder()
    {
        FForm->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(FForm.get()));
        QTest::keyClick(FForm.get(), Qt::Key_R, Qt::ControlModifier);
        auto *recorder = FForm->findChild<TRecorderForm *>();
        EXPECT_TRUE(recorder && QTest::qWaitForWindowExposed(recorder));
        return recorder;
    }

    template <class T> static T *Child(QWidget *AWindow, const char *AName)
    {
        T *child = AWindow->findChild<T *>(QString::fromLatin1(AName));
        EXPECT_NE(child, nullptr) << AName;
        return child;
    }

    QTreeWidget *List() const { return FForm->findChild<QTreeWidget *>(QStringLiteral("ListView1")); }

    TTestFolder FData;
    TScopedEnv FDataHome{"XDG_DATA_HOME", FData.Path().toUtf8()};
    TPulseServer FServer;
    std::unique_ptr<TAppForm> FForm;
    QList<TMessage> FMessages;
};

TEST_F(RecorderFormTest, RecordStopAndPlayWithAnEffect)
{
    TRecorderForm *recorder = OpenRecorder();
    ASSERT_TRUE(recorder);
    EXPECT_EQ(Child<QComboBox>(recorder, "ComboBoxDevice")->currentData().value<QAudioDevice>().id(),
              TPulseServer::MicrophoneName().toUtf8());
    const QString speech = FData.FilePath(QStringLiteral("speech.wav"));
    ASSERT_TRUE(SoundAnalysis::MakeSpeech(speech, QStringLiteral("testing the recorder window")));
    auto *record = Child<QPushButton>(recorder, "ButtonRecord");
    int loudest = 0;
    QObject::connect(Child<QProgressBar>(recorder, "ProgressBarLevel"), &QProgressBar::valueChanged,
                     [&](int AValue) { loudest = std::max(loudest, AValue); });
    QTest::mouseClick(record, Qt::LeftButton);
    ASSERT_EQ(record->text(), QStringLiteral("Stop"));
    ASSERT_TRUE(FServer.FeedMicrophone(speech));
    auto *elapsed = Child<QLabel>(recorder, "LabelElapsed");
    ASSERT_TRUE(WaitUntil([&] { return elapsed->text() == QStringLiteral("00:03"); }, 20000))
        << elapsed->text().toStdString();
    EXPECT_GT(loudest, 5) << "the meter never moved with the speech";
    const QString path = QDir::fromNativeSeparators(Child<QLabel>(recorder, "LabelFile")->text());
    QTest::mouseClick(record, Qt::LeftButton);
    EXPECT_EQ(record->text(), QStringLiteral("Record"));

    EXPECT_TRUE(QFileInfo(path).fileName().startsWith(QStringLiteral("Recording 20")));
    EXPECT_EQ(QFileInfo(path).absolutePath(), AppDataFolder + QStringLiteral("Recordings"));
    ASSERT_EQ(List()->topLevelItemCount(), 1);
    EXPECT_EQ(List()->currentItem()->text(0), path);
    EXPECT_NEAR(double(SoundAnalysis::DecodeMono(path).size()) / SoundAnalysis::Rate, 3.0, 0.5);

    Child<QComboBox>(FForm.get(), "ComboBox1")->setCurrentText(QStringLiteral("Robot"));
    QTest::mouseClick(Child<QPushButton>(FForm.get(), "ButtonPlay"), Qt::LeftButton);
    EXPECT_TRUE(WaitUntil([&] { return List()->topLevelItem(0)->text(1) == QStringLiteral("Complete"); }, 120000))
        << List()->topLevelItem(0)->text(1).toStdString();
    EXPECT_TRUE(FMessages.isEmpty());
}

TEST_F(RecorderFormTest, ClosingTheMainWindowKeepsTheRecording)
{
    TRecorderForm *recorder = OpenRecorder();
    ASSERT_TRUE(recorder);
    QTest::mouseClick(Child<QPushButton>(recorder, "ButtonRecord"), Qt::LeftButton);
    ASSERT_TRUE(
        WaitUntil([&] { return Child<QLabel>(recorder, "LabelElapsed")->text() == QStringLiteral("00:01"); }, 20000));
    FForm->close();
    ASSERT_EQ(List()->topLevelItemCount(), 1);
    const QString path = List()->topLevelItem(0)->text(0);
    EXPECT_GE(SoundAnalysis::DecodeMono(path).size(), size_t(SoundAnalysis::Rate));
}

// Each failure to start gets its box and leaves no file.
TEST_F(RecorderFormTest, NoInputAndNoFolderGiveTheirBoxes)
{
    // A file where the folder should be.
    QFile blocker(AppDataFolder + QStringLiteral("Recordings"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    TRecorderForm *recorder = OpenRecorder();
    ASSERT_TRUE(recorder);
    QTest::mouseClick(Child<QPushButton>(recorder, "ButtonRecord"), Qt::LeftButton);
    ASSERT_EQ(FMessages.size(), 1);
    EXPECT_TRUE(FMessages[0].Text.startsWith(QStringLiteral("The folder for recordings cannot be created")))
        << FMessages[0].Text.toStdString();
    const QPointer<TRecorderForm> closed = recorder;
    recorder->close();
    ASSERT_TRUE(WaitUntil([&] { return closed.isNull(); }));

    ASSERT_EQ(FServer.Pactl({QStringLiteral("unload-module"), QStringLiteral("module-pipe-source")}), 0);
    ASSERT_TRUE(WaitUntil([] { return QMediaDevices::audioInputs().isEmpty(); }));
    recorder = OpenRecorder();
    ASSERT_TRUE(recorder);
    QTest::mouseClick(Child<QPushButton>(recorder, "ButtonRecord"), Qt::LeftButton);
    ASSERT_EQ(FMessages.size(), 2);
    EXPECT_EQ(FMessages[1], (TMessage{QStringLiteral("No audio input was found. Connect a microphone and try again."),
                                      QStringLiteral("Error"), TUserDialogs::IconError}));
    EXPECT_EQ(List()->topLevelItemCount(), 0);
}

// Exit quits without closing the windows: they are destroyed while recording.
TEST_F(RecorderFormTest, QuittingWhileRecordingKeepsAValidFile)
{
    TRecorderForm *recorder = OpenRecorder();
    ASSERT_TRUE(recorder);
    QTest::mouseClick(Child<QPushButton>(recorder, "ButtonRecord"), Qt::LeftButton);
    ASSERT_TRUE(
        WaitUntil([&] { return Child<QLabel>(recorder, "LabelElapsed")->text() == QStringLiteral("00:01"); }, 20000));
    const QString path = QDir::fromNativeSeparators(Child<QLabel>(recorder, "LabelFile")->text());
    FForm.reset();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray head = file.read(44);
    EXPECT_EQ(qFromLittleEndian<quint32>(head.constData() + 40), quint32(file.size() - 44));
    EXPECT_GE(SoundAnalysis::DecodeMono(path).size(), size_t(SoundAnalysis::Rate));
}
