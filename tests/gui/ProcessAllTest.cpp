// The window's "Process All Files...": the dialog driven from the keyboard, the
// rows' own statuses, the files written, Stop, replacing files only when
// agreed, and closing the window in the middle; real ffmpeg, real files.

#include "gui/AppForm.h"

#include "effects/SoundFileHasSamples.h"
#include "gui/ProcessAll.h"
#include "gui/UserDialogs.h"
#include "identity/AppIdentity.h"
#include "support/RecordedMessage.h"
#include "support/SoundInputs.h"
#include "support/UrlCatcher.h"
#include "support/VersionFixture.h"
#include "support/WaitFor.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include "support/QtPrinters.h"

namespace {

class ProcessAllTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qputenv("XDG_CONFIG_HOME", FConfig.path().toUtf8());
        qputenv("XDG_DATA_HOME", FData.path().toUtf8());
        AppDataFolder.clear();
        TUserDialogs::SetMessageAnswer([this](const QString &AText, const QString &ACaption, int AIcon) {
            FMessages.append({AText, ACaption, AIcon});
        });
        TUserDialogs::SetQuestionAnswer([this](const QString &AText, const QString &) {
            FQuestions.append(AText);
            return FAgree;
        });
        TProcessAll::SetEndBoxAnswer([this](const QString &AText) {
            FEndBoxes.append(AText);
            return true; // "Open Folder"
        });
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &FUrls, "Open");
        FForm = std::make_unique<TAppForm>(nullptr, VersionFixture::TonaraExecutable());
        FForm->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(FForm.get()));
    }

    void TearDown() override
    {
        FForm.reset();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        TProcessAll::SetEndBoxAnswer({});
        TUserDialogs::SetQuestionAnswer({});
        TUserDialogs::SetMessageAnswer({});
        qunsetenv("XDG_DATA_HOME");
        qunsetenv("XDG_CONFIG_HOME");
    }

    // A sound of ASeconds in the inputs' folder.
    QString Input(const QString &AName, double ASeconds = 0.5) const
    {
        const QString path = FInputs.filePath(AName);
        EXPECT_TRUE(SoundInputs::Make(path, ASeconds, ASeconds > 5 ? QStringLiteral("anoisesrc") : QStringLiteral("sine")));
        return path;
    }

    QTreeWidget *List() const { return FForm->findChild<QTreeWidget *>(QStringLiteral("ListView1")); }
    QPushButton *PlayButton() const { return FForm->findChild<QPushButton *>(QStringLiteral("ButtonPlay")); }
    QString Status(int AIndex) const { return List()->topLevelItem(AIndex)->text(1); }
    QStringList Statuses() const
    {
        QStringList all;
        for (int i = 0; i < List()->topLevelItemCount(); ++i)
            all << Status(i);
        return all;
    }

    // Ctrl+Shift+P, then AFolder typed into the dialog's focused field, AJobs
    // set, and Return.
    void ProcessAll(const QString &AFolder, int AJobs = 0, const QString &AFormat = QString())
    {
        bool answered = false;
        // A shortcut reaches the active window only.
        FForm->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(FForm.get()));
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            if (AJobs > 0)
                dialog->findChild<QSpinBox *>(QStringLiteral("JobsBox"))->setValue(AJobs);
            if (!AFormat.isEmpty()) {
                auto *format = dialog->findChild<QComboBox *>(QStringLiteral("FormatBox"));
                format->setCurrentIndex(format->findText(AFormat));
            }
            // Typed where the focus is, as a user would.
            QWidget *field = dialog->focusWidget();
            auto *folder = dialog->findChild<QLineEdit *>(QStringLiteral("FolderEdit"));
            if (field != folder) {
                dialog->reject();
                return;
            }
            folder->clear();
            QTest::keyClicks(field, AFolder);
            QTest::keyClick(field, Qt::Key_Return);
            answered = true;
        });
        QTest::keySequence(FForm.get(), QKeySequence(QStringLiteral("Ctrl+Shift+P")));
        EXPECT_TRUE(answered) << "no dialog, or its folder field did not have the focus";
    }

    bool WaitForBatchEnd() { return WaitUntil([this] { return !FEndBoxes.isEmpty(); }, 120000); }

    QTemporaryDir FConfig;
    QTemporaryDir FData;
    QTemporaryDir FInputs;
    QTemporaryDir FOut;
    std::unique_ptr<TAppForm> FForm;
    QList<TMessage> FMessages;
    QStringList FQuestions;
    bool FAgree = false;
    QStringList FEndBoxes;
    TUrlCatcher FUrls;
};

TEST_F(ProcessAllTest, EveryRowGetsItsOwnEndAndEveryResultIsInTheFolder)
{
    // Awkward names, a missing file in the middle, and the inputs' own folder
    // as the output folder.
    const QString a = Input(QStringLiteral("blank name 'quoted' \"double\".wav"));
    const QString missing = Input(QStringLiteral("gone.wav"));
    const QString c = Input(QStringLiteral("Grüße – ñ.mp3"));
    FForm->OpenSoundFiles({a, missing, c});
    ASSERT_TRUE(QFile::remove(missing)); // gone since it was listed
    ProcessAll(FInputs.path());
    ASSERT_TRUE(WaitForBatchEnd());
    EXPECT_EQ(Statuses(), (QStringList{"Complete", "Error", "Complete"}));
    EXPECT_EQ(PlayButton()->text(), QStringLiteral("Play"));
    for (const QString &name : {QStringLiteral("blank name 'quoted' \"double\" - Robot.wav"),
                                QStringLiteral("Grüße – ñ - Robot.wav")}) {
        EXPECT_TRUE(SoundFileHasSamples(FInputs.filePath(name))) << name.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(FInputs.filePath(QStringLiteral("gone - Robot.wav"))));
    EXPECT_TRUE(SoundFileHasSamples(a)) << "inputs untouched";
    ASSERT_EQ(FEndBoxes.size(), 1);
    EXPECT_EQ(FEndBoxes[0], QStringLiteral("Completed: 2\nNot completed: 1 (gone.wav)\n\nLocation: ") + FInputs.path());
    EXPECT_EQ(FUrls.Urls, QList<QUrl>{QUrl::fromLocalFile(FInputs.path())});
    EXPECT_TRUE(FMessages.isEmpty());
    // Only the results are new in the folder: the work files are gone.
    EXPECT_EQ(QDir(FData.path() + QStringLiteral("/Quillaby/Tonara")).entryList(QDir::Files), QStringList());
}

TEST_F(ProcessAllTest, Mp3AndParallelRunsGiveTheSameRowsAndFiles)
{
    const QStringList inputs{Input(QStringLiteral("one.wav")), Input(QStringLiteral("two.wav")),
                             Input(QStringLiteral("three.wav"))};
    FForm->OpenSoundFiles(inputs);
    ProcessAll(FOut.path(), 2, QStringLiteral("MP3"));
    ASSERT_TRUE(WaitForBatchEnd());
    EXPECT_EQ(Statuses(), (QStringList{"Complete", "Complete", "Complete"}));
    EXPECT_EQ(QDir(FOut.path()).entryList(QDir::Files),
              (QStringList{"one - Robot.mp3", "three - Robot.mp3", "two - Robot.mp3"}));
    EXPECT_EQ(SoundInputs::Probe(FOut.filePath(QStringLiteral("two - Robot.mp3"))).FormatName, QStringLiteral("mp3"));
}

TEST_F(ProcessAllTest, ExistingResultsAreReplacedOnlyWhenTheUserAgreesOnce)
{
    FForm->OpenSoundFiles({Input(QStringLiteral("one.wav")), Input(QStringLiteral("two.wav"))});
    const QString kept = FOut.filePath(QStringLiteral("one - Robot.wav"));
    {
        QFile file(kept);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("the user's own file");
    }
    ProcessAll(FOut.path());
    ASSERT_EQ(FQuestions.size(), 1);
    EXPECT_TRUE(FQuestions[0].startsWith(QStringLiteral("1 file(s) in"))) << FQuestions[0].toStdString();
    QTest::qWait(200);
    EXPECT_EQ(Statuses(), (QStringList{"", ""})) << "nothing ran";
    QFile file(kept);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("the user's own file"));
    file.close();

    FAgree = true;
    ProcessAll(FOut.path());
    ASSERT_TRUE(WaitForBatchEnd());
    EXPECT_EQ(FQuestions.size(), 2);
    EXPECT_EQ(Statuses(), (QStringList{"Complete", "Complete"}));
    EXPECT_TRUE(SoundFileHasSamples(kept));
}

TEST_F(ProcessAllTest, StopEndsTheRunUnderWayAndLeavesTheRestUntouched)
{
    FForm->OpenSoundFiles({Input(QStringLiteral("long.wav"), 30), Input(QStringLiteral("short.wav"))});
    ProcessAll(FOut.path(), 1);
    ASSERT_TRUE(WaitUntil([this] { return Status(0) == QStringLiteral("Processing..."); }));
    EXPECT_EQ(PlayButton()->text(), QStringLiteral("Stop"));
    QTest::mouseClick(PlayButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitForBatchEnd());
    EXPECT_EQ(Statuses(), (QStringList{"Aborted", ""}));
    EXPECT_EQ(PlayButton()->text(), QStringLiteral("Play"));
    EXPECT_EQ(QDir(FOut.path()).entryList(QDir::Files), QStringList());
}

TEST_F(ProcessAllTest, ClosingTheWindowMidwayKeepsWhatWasSavedAndLeavesNothingHalfDone)
{
    FForm->OpenSoundFiles({Input(QStringLiteral("short.wav")), Input(QStringLiteral("long.mp3"), 30)});
    ProcessAll(FOut.path(), 1, QStringLiteral("MP3"));
    ASSERT_TRUE(WaitUntil([this] { return Status(1) == QStringLiteral("Processing..."); }, 60000));
    FForm.reset();
    EXPECT_EQ(QDir(FOut.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"short - Robot.mp3"});
    EXPECT_EQ(QDir(FData.path() + QStringLiteral("/Quillaby/Tonara")).entryList(QDir::Files), QStringList());
    EXPECT_TRUE(FEndBoxes.isEmpty());
}

} // namespace
