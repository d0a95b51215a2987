// The main window's processing job, status list, playback and saving, driven
// through its real controls with the real ffmpeg on short generated sounds.

#include "gui/AppForm.h"

#include "effects/EffectPresets.h"
#include "effects/SoundFileHasSamples.h"
#include "gui/MediaPlayer.h"
#include "gui/QuitOnTermination.h"
#include "gui/StatusProgressDelegate.h"
#include "gui/UserDialogs.h"
#include "identity/AppIdentity.h"
#include "identity/SettingsStore.h"
#include "process/ProcessRunner.h"
#include "support/AudioFiles.h"
#include "support/HangWatch.h"
#include "support/RecordedMessage.h"
#include "support/ScopedEnv.h"
#include "support/SoundInputs.h"
#include "support/VersionFixture.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "support/QtPrinters.h"

namespace {

// A file dialog as the window asked for it.
struct TFileDialogCall
{
    bool Save;
    TUserDialogs::TFileRequest Request;
};

// Runs the event loop until ACondition holds or ATimeoutMs has passed.
bool WaitFor(const std::function<bool()> &ACondition, int ATimeoutMs = 60000)
{
    const QDeadlineTimer deadline(ATimeoutMs);
    while (!ACondition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(10);
    }
    return true;
}

QByteArray Contents(const QString &APath)
{
    QFile file(APath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class AppFormWorkflowTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        ConfigFolder = new QTemporaryDir;
        qputenv("XDG_CONFIG_HOME", ConfigFolder->path().toUtf8());
        Inputs = new QTemporaryDir;
    }

    static void TearDownTestSuite()
    {
        delete Inputs;
        delete ConfigFolder;
        Inputs = ConfigFolder = nullptr;
    }

    void SetUp() override
    {
        qputenv("XDG_DATA_HOME", FData.path().toUtf8());
        AppDataFolder.clear();
        TUserDialogs::SetMessageAnswer([this](const QString &AText, const QString &ACaption, int AIcon) {
            FMessages.append({AText, ACaption, AIcon});
        });
        TUserDialogs::SetFileAnswer([this](bool ASave, TUserDialogs::TFileRequest &ARequest) {
            FDialogs.append({ASave, ARequest});
            if (FAnswers.isEmpty())
                return false; // Cancel
            ARequest.FileName = FAnswers.takeFirst();
            return true;
        });
        FForm = std::make_unique<TAppForm>(nullptr, VersionFixture::TonaraExecutable());
        FForm->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(FForm.get()));
        ASSERT_FALSE(WorkFile().startsWith(QStringLiteral("output"))) << "no data folder";
    }

    void TearDown() override
    {
        FForm.reset(); // a run still under way is stopped and its child killed
        TUserDialogs::SetMessageAnswer({});
        TUserDialogs::SetFileAnswer({});
        qunsetenv("XDG_DATA_HOME");
    }

    // The inputs, each made when a test first asks for it: "short.wav" and
    // "short.mp3" (half a second), "long.wav" (long enough for several
    // progress lines and a Stop half-way).
    static QString Input(const QString &AName)
    {
        const QString path = Inputs->filePath(AName);
        if (!QFile::exists(path)) {
            const bool isLong = AName.startsWith(QStringLiteral("long"));
            EXPECT_TRUE(SoundInputs::Make(path, isLong ? 30 : 0.5,
                                          isLong ? QStringLiteral("anoisesrc") : QStringLiteral("sine")))
                << AName.toStdString();
        }
        return path;
    }

    template <typename T> T *Child(const char *AName) const
    {
        T *child = FForm->findChild<T *>(QString::fromLatin1(AName));
        EXPECT_NE(child, nullptr) << AName;
        return child;
    }

    QTreeWidget *List() const { return Child<QTreeWidget>("ListView1"); }
    QPushButton *PlayButton() const { return Child<QPushButton>("ButtonPlay"); }
    QPushButton *SaveButton() const { return Child<QPushButton>("ButtonSave"); }
    TProcessRunner *Runner() const { return Child<TProcessRunner>("ProcessRunner1"); }
    TMediaPlayer *Player() const { return Child<TMediaPlayer>("MediaPlayer1"); }
    QString Log() const { return Child<QPlainTextEdit>("Memo1")->toPlainText(); }
    QString Status(int AIndex) const { return List()->topLevelItem(AIndex)->text(1); }

    // File > "Add Sound File..." with APath chosen in the dialog.
    void AddFile(const QString &APath)
    {
        FAnswers << APath;
        Child<QAction>("AddSoundFile1")->trigger();
    }

    void ChooseEffect(const QString &AItem)
    {
        QComboBox *effects = Child<QComboBox>("ComboBox1");
        effects->setCurrentIndex(effects->findText(AItem));
        ASSERT_EQ(effects->currentText(), AItem);
    }

    void ClickPlay() const { QTest::mouseClick(PlayButton(), Qt::LeftButton); }

    // Waits until the run of item AIndex has ended; false on a time-out.
    bool WaitForEnd(int AIndex, int ATimeoutMs = 60000) const
    {
        return WaitFor([&] { return !Runner()->IsRunning() && Status(AIndex) != QStringLiteral("Processing..."); },
                       ATimeoutMs);
    }

    bool WaitForPlayCaption() const
    {
        return WaitFor([&] { return PlayButton()->text() == QStringLiteral("Play"); }, 20000);
    }

    // A FIFO as input: the tool waits on it until the test writes (or never).
    QString MakeFifo(const QString &AName) const
    {
        const QString path = FData.filePath(AName);
        EXPECT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        return path;
    }

    void ExpectOneMessage(const char *AText, const char *ACaption, int AIcon)
    {
        ASSERT_TRUE(WaitFor([&] { return !FMessages.isEmpty(); }));
        ASSERT_EQ(FMessages.size(), 1);
        EXPECT_EQ(FMessages[0].Text, QString::fromUtf8(AText));
        EXPECT_EQ(FMessages[0].Caption, QString::fromUtf8(ACaption));
        EXPECT_EQ(FMessages[0].Icon, AIcon);
        FMessages.clear();
    }

    static QTemporaryDir *ConfigFolder;
    static QTemporaryDir *Inputs;
    QTemporaryDir FData;
    std::unique_ptr<TAppForm> FForm;
    QList<TMessage> FMessages;
    QList<TFileDialogCall> FDialogs;
    QStringList FAnswers;
};

QTemporaryDir *AppFormWorkflowTest::ConfigFolder = nullptr;
QTemporaryDir *AppFormWorkflowTest::Inputs = nullptr;

// Writes AData into the FIFO APath on a thread of its own (opening blocks
// until the tool opens its end).
class TFifoWriter
{
public:
    TFifoWriter(const QString &APath, QByteArray AData)
        : FThread([path = QFile::encodeName(APath), data = std::move(AData)] {
            const int fd = open(path.constData(), O_WRONLY);
            for (qsizetype done = 0; fd >= 0 && done < data.size();) {
                const ssize_t n = write(fd, data.constData() + done, size_t(data.size() - done));
                if (n <= 0)
                    break;
                done += n;
            }
            if (fd >= 0)
                close(fd);
        })
    {}
    ~TFifoWriter() { FThread.join(); }

private:
    std::thread FThread;
};

// ---- Adding files --------------------------------------------------------

TEST_F(AppFormWorkflowTest, AddSoundFileAsksForOneFileAndAppendsItUnselected)
{
    Child<QAction>("AddSoundFile1")->trigger(); // cancelled
    EXPECT_EQ(List()->topLevelItemCount(), 0);
    ASSERT_EQ(FDialogs.size(), 1);
    EXPECT_FALSE(FDialogs[0].Save);
    EXPECT_EQ(FDialogs[0].Request.Filter, QStringLiteral("Supported Formats (*.mp3;*.wav)|*.mp3;*.wav"));
    EXPECT_EQ(FDialogs[0].Request.DefaultExt, QStringLiteral("mp3"));
    EXPECT_EQ(FDialogs[0].Request.Options, TUserDialogs::ofHideReadOnly | TUserDialogs::ofEnableSizing);

    // The same file twice (once by another spelling of its path) is listed
    // once; one that does not exist is taken as it is.
    AddFile(Input(QStringLiteral("short.wav")));
    AddFile(Input(QStringLiteral("short.wav")).replace(QStringLiteral("/short.wav"), QStringLiteral("/./short.wav")));
    AddFile(QStringLiteral("/no/such/file.mp3"));
    ASSERT_EQ(List()->topLevelItemCount(), 2);
    EXPECT_EQ(List()->topLevelItem(0)->text(0), Input(QStringLiteral("short.wav")));
    EXPECT_EQ(List()->topLevelItem(1)->text(0), QStringLiteral("/no/such/file.mp3"));
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(Status(i), QString());
    EXPECT_TRUE(List()->selectedItems().isEmpty());
    EXPECT_TRUE(FMessages.isEmpty());
}

// ---- Shortcuts and list editing ---------------------------------------------

// Key sequences are made in the test: the standard ones need the application.
// Where the desktop has no key for an entry, the usual one is given.
struct TShortcutCase
{
    const char *Action;
    QKeySequence::StandardKey Standard;
    QKeyCombination PlainKey = {}; // when Standard is UnknownKey or the desktop has none
};

class StandardShortcut : public AppFormWorkflowTest, public ::testing::WithParamInterface<TShortcutCase>
{};

TEST_P(StandardShortcut, IsTheDesktopsKey)
{
    QKeySequence keys(GetParam().Standard);
    if (keys.isEmpty())
        keys = QKeySequence(GetParam().PlainKey);
    EXPECT_FALSE(keys.isEmpty());
    EXPECT_EQ(Child<QAction>(GetParam().Action)->shortcut(), keys);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, StandardShortcut,
    ::testing::Values(TShortcutCase{"AddSoundFile1", QKeySequence::Open},
                      TShortcutCase{"SaveasWAV2", QKeySequence::Save},
                      TShortcutCase{"SaveasMP32", QKeySequence::SaveAs, Qt::CTRL | Qt::SHIFT | Qt::Key_S},
                      TShortcutCase{"Exit1", QKeySequence::Quit, Qt::CTRL | Qt::Key_Q},
                      TShortcutCase{"Help2", QKeySequence::UnknownKey, QKeyCombination(Qt::Key_F1)},
                      TShortcutCase{"RemovefromList1", QKeySequence::Delete}),
    [](const ::testing::TestParamInfo<TShortcutCase> &AInfo) { return std::string(AInfo.param.Action); });

TEST_F(AppFormWorkflowTest, DeleteAndClearTakeFilesOffTheListButNotTheOneBeingProcessed)
{
    const QString held = MakeFifo(QStringLiteral("held.wav")); // the tool waits on it
    AddFile(held);
    AddFile(Input(QStringLiteral("short.wav")));
    AddFile(Input(QStringLiteral("short.mp3")));
    QMenu *file = Child<QMenu>("File1");
    const QList<QAction *> entries = file->actions();
    ASSERT_GE(entries.size(), 3);
    EXPECT_EQ(entries[1]->text(), QStringLiteral("Remove from List"));
    EXPECT_EQ(entries[2]->text(), QStringLiteral("Clear List"));

    List()->setCurrentItem(List()->topLevelItem(0));
    ClickPlay();
    ASSERT_TRUE(WaitFor([&] { return Runner()->ProcessInformation().dwProcessId != 0; }));
    QApplication::setActiveWindow(FForm.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(FForm.get()));
    List()->setFocus();
    QTest::keyClick(List(), Qt::Key_Delete); // the file being processed
    ASSERT_EQ(List()->topLevelItemCount(), 3);
    List()->setCurrentItem(List()->topLevelItem(1));
    QTest::keyClick(List(), Qt::Key_Delete);
    ASSERT_EQ(List()->topLevelItemCount(), 2);
    EXPECT_EQ(List()->topLevelItem(1)->text(0), Input(QStringLiteral("short.mp3")));
    EXPECT_TRUE(QFile::exists(Input(QStringLiteral("short.wav")))) << "taken off the list, not off the disk";

    AddFile(Input(QStringLiteral("short.wav")));
    Child<QAction>("ClearList1")->trigger();
    ASSERT_EQ(List()->topLevelItemCount(), 1);
    ClickPlay(); // Stop
    ASSERT_TRUE(WaitForEnd(0));
    Child<QAction>("ClearList1")->trigger();
    EXPECT_EQ(List()->topLevelItemCount(), 0);
    EXPECT_TRUE(QFile::exists(held));

    // A run over a new list after the processed item went.
    AddFile(Input(QStringLiteral("short.wav")));
    ClickPlay();
    ASSERT_TRUE(WaitForEnd(0));
    EXPECT_EQ(Status(0), QStringLiteral("Complete"));
}

TEST_F(AppFormWorkflowTest, PlayWithAnEmptyListWarns)
{
    ClickPlay();
    ExpectOneMessage("No file selected!", "Warning", TUserDialogs::IconWarning);
    EXPECT_EQ(PlayButton()->text(), QStringLiteral("Play"));
    EXPECT_FALSE(Runner()->IsRunning());
}

// ---- Every effect ------------------------------------------------------------

class EveryEffect : public AppFormWorkflowTest, public testing::WithParamInterface<int>
{};

TEST_P(EveryEffect, CompletesWithSoundThatPlays)
{
    const QString effect = QString::fromUtf8(EffectPresets()[size_t(GetParam())].Item);
    AddFile(Input(QStringLiteral("short.mp3")));
    ChooseEffect(effect);
    ClickPlay(); // nothing selected: the first item is taken and selected
    EXPECT_TRUE(List()->topLevelItem(0)->isSelected());
    EXPECT_EQ(PlayButton()->text(), QStringLiteral("Stop"));
    EXPECT_EQ(Status(0), QStringLiteral("Processing..."));
    ASSERT_TRUE(WaitForEnd(0));

    EXPECT_EQ(Status(0), QStringLiteral("Complete")) << Log().toStdString();
    EXPECT_TRUE(SoundFileHasSamples(WorkFile()));
    const SoundInputs::TProbe probe = SoundInputs::Probe(WorkFile());
    EXPECT_EQ(probe.FormatName, QStringLiteral("wav"));
    EXPECT_GT(probe.Duration, 0.2);
    EXPECT_TRUE(SaveButton()->isEnabled());
    EXPECT_TRUE(FMessages.isEmpty());

    // The result plays; Stop ends the playback and "Play" comes back with
    // the player's notification. The Status stays.
    EXPECT_TRUE(Player()->IsPlaying());
    EXPECT_EQ(PlayButton()->text(), QStringLiteral("Stop"));
    ClickPlay();
    EXPECT_TRUE(WaitForPlayCaption());
    EXPECT_FALSE(Player()->IsPlaying());
    EXPECT_EQ(Status(0), QStringLiteral("Complete"));
}

INSTANTIATE_TEST_SUITE_P(Effects, EveryEffect, testing::Range(0, int(EffectPresets().size())),
                         [](const testing::TestParamInfo<int> &AInfo) {
                             std::string name = EffectPresets()[size_t(AInfo.param)].Item;
                             std::erase_if(name, [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); });
                             return name;
                         });

// ---- Runs that end otherwise -----------------------------------------------

TEST_F(AppFormWorkflowTest, ResultPlaysToItsEndAndTheButtonReadsPlay)
{
    AddFile(Input(QStringLiteral("short.wav")));
    ChooseEffect(QStringLiteral("Reverse"));
    ClickPlay();
    ASSERT_TRUE(WaitForEnd(0));
    ASSERT_EQ(Status(0), QStringLiteral("Complete"));
    EXPECT_EQ(PlayButton()->text(), QStringLiteral("Stop"));
    EXPECT_TRUE(WaitForPlayCaption());
    EXPECT_FALSE(Player()->IsPlaying());
    EXPECT_EQ(Status(0), QStringLiteral("Complete"));
    EXPECT_TRUE(FMessages.isEmpty());
}

TEST_F(AppFormWorkflowTest, MissingInputEndsWithErrorAndOnePressBringsPlayBack)
{
    AddFile(FData.filePath(QStringLiteral("gone.mp3")));
    ClickPlay();
    ASSERT_TRUE(WaitForEnd(0));
    EXPECT_EQ(Status(0), QStringLiteral("Error"));
    EXPECT_TRUE(Log().contains(QStringLiteral("No such file or directory"))) << Log().toStdString();
    EXPECT_FALSE(SaveButton()->isEnabled());
    EXPECT_EQ(PlayButton()->text(), QStringLiteral("Stop"));
    ClickPlay();
    EXPECT_EQ(PlayButton()->text(), QStringLiteral("Play"));
    EXPECT_EQ(Status(0), QStringLiteral("Error"));
    EXPECT_TRUE(FMessages.isEmpty());
}

TEST_F(AppFormWorkflowTest, ToolThatCannotBeStartedEndsWithError)
{
    AddFile(Input(QStringLiteral("short.wav")));
    {
        // Neither beside the test program nor on the PATH.
        const TScopedEnv path("PATH", FData.path().toUtf8());
        ClickPlay();
        ASSERT_TRUE(WaitForEnd(0));
    }
    EXPECT_EQ(Status(0), QStringLiteral("Error"));
    ASSERT_EQ(FMessages.size(), 1);
    EXPECT_TRUE(FMessages[0].Text.startsWith(QStringLiteral("ECreateProcessError\n")))
        << FMessages[0].Text.toStdString();
    EXPECT_EQ(FMessages[0].Icon, TUserDialogs::IconError);
}

TEST_F(AppFormWorkflowTest, StopHalfWayEndsAborted)
{
    AddFile(Input(QStringLiteral("long.wav")));
    ChooseEffect(QStringLiteral("Whisper")); // the slowest effect
    ClickPlay();
    // Stop once the tool has written sound.
    ASSERT_TRUE(WaitFor([&] { return SoundFileHasSamples(WorkFile()) || !Runner()->IsRunning(); }));
    ASSERT_TRUE(Runner()->IsRunning()) << "the run ended before it could be stopped";
    ClickPlay();
    EXPECT_EQ(PlayButton()->text(), QStringLiteral("Play")); // at once
    ASSERT_TRUE(WaitForEnd(0));
    EXPECT_EQ(Status(0), QStringLiteral("Aborted"));
    EXPECT_EQ(PlayButton()->text(), QStringLiteral("Play"));
    EXPECT_FALSE(SaveButton()->isEnabled());
    EXPECT_FALSE(Player()->IsPlaying());
}

TEST_F(AppFormWorkflowTest, StopBeforeTheToolWroteAnythingEndsWithError)
{
    AddFile(MakeFifo(QStringLiteral("silent.wav"))); // nobody ever writes: the tool waits
    ClickPlay();
    ASSERT_TRUE(WaitFor([&] { return Runner()->ProcessInformation().dwProcessId != 0; }));
    ClickPlay();
    EXPECT_EQ(PlayButton()->text(), QStringLiteral("Play"));
    ASSERT_TRUE(WaitForEnd(0));
    EXPECT_EQ(Status(0), QStringLiteral("Error"));
}

TEST_F(AppFormWorkflowTest, PlayAgainRightAfterStopFails)
{
    AddFile(MakeFifo(QStringLiteral("waiting.wav")));
    AddFile(Input(QStringLiteral("short.wav")));
    ClickPlay();
    ASSERT_TRUE(WaitFor([&] { return Runner()->ProcessInformation().dwProcessId != 0; }));
    // Stop, then Play at once: the stopped run has not ended yet.
    ClickPlay();
    ClickPlay();
    ExpectOneMessage("Operation Failed!", "Error", TUserDialogs::IconError);
    EXPECT_EQ(PlayButton()->text(), QStringLiteral("Stop"));
    EXPECT_EQ(Status(0), QStringLiteral("Processing..."));

    // The stopped run ends on its own; its Status goes to the selected item.
    ASSERT_TRUE(WaitForEnd(0));
    EXPECT_EQ(Status(0), QStringLiteral("Error"));
    // One press restores "Play"; the next runs normally.
    ClickPlay();
    EXPECT_EQ(PlayButton()->text(), QStringLiteral("Play"));
    List()->setCurrentItem(List()->topLevelItem(1));
    ClickPlay();
    ASSERT_TRUE(WaitForEnd(1));
    EXPECT_EQ(Status(1), QStringLiteral("Complete"));
}

TEST_F(AppFormWorkflowTest, StatusGoesToTheProcessedItemWhateverIsSelectedAtTheEnd)
{
    const QString fifo = MakeFifo(QStringLiteral("held.wav"));
    AddFile(fifo);
    AddFile(Input(QStringLiteral("short.wav")));
    List()->setCurrentItem(List()->topLevelItem(0));
    ClickPlay();
    ASSERT_TRUE(WaitFor([&] { return Runner()->ProcessInformation().dwProcessId != 0; }));
    List()->setCurrentItem(List()->topLevelItem(1)); // the user picks another item meanwhile
    {
        const TFifoWriter writer(fifo, Contents(Input(QStringLiteral("short.wav"))));
        ASSERT_TRUE(WaitForEnd(0));
    }
    EXPECT_EQ(Status(0), QStringLiteral("Complete"));
    EXPECT_EQ(Status(1), QString());
}

TEST_F(AppFormWorkflowTest, WithNothingSelectedAtTheEndTheProcessedItemGetsTheStatus)
{
    const QString fifo = MakeFifo(QStringLiteral("held.wav"));
    AddFile(Input(QStringLiteral("short.wav")));
    AddFile(fifo);
    List()->setCurrentItem(List()->topLevelItem(1));
    ClickPlay();
    ASSERT_TRUE(WaitFor([&] { return Runner()->ProcessInformation().dwProcessId != 0; }));
    List()->clearSelection();
    {
        const TFifoWriter writer(fifo, Contents(Input(QStringLiteral("short.wav"))));
        ASSERT_TRUE(WaitForEnd(1));
    }
    EXPECT_EQ(Status(1), QStringLiteral("Complete"));
    EXPECT_EQ(Status(0), QString());
}

TEST_F(AppFormWorkflowTest, LogHoldsTheLinesOfAllRunsInOrder)
{
    AddFile(Input(QStringLiteral("short.wav")));
    AddFile(Input(QStringLiteral("short.mp3")));
    for (int i = 0; i < 2; ++i) {
        List()->setCurrentItem(List()->topLevelItem(i));
        ClickPlay();
        ASSERT_TRUE(WaitForEnd(i));
        ClickPlay(); // stops the playback
        ASSERT_TRUE(WaitForPlayCaption());
    }
    const QString log = Log();
    const qsizetype first = log.indexOf(QStringLiteral("from '%1'").arg(Input(QStringLiteral("short.wav"))));
    const qsizetype second = log.indexOf(QStringLiteral("from '%1'").arg(Input(QStringLiteral("short.mp3"))));
    EXPECT_GE(first, 0) << log.toStdString();
    EXPECT_GT(second, first) << log.toStdString();
    EXPECT_FALSE(Child<QPlainTextEdit>("Memo1")->isVisible());
}

TEST_F(AppFormWorkflowTest, AwkwardFileNamesWork)
{
    for (const QString &name : SoundInputs::AwkwardNames()) {
        SCOPED_TRACE(name.toStdString());
        const QString path = FData.filePath(name + QStringLiteral(".wav"));
        ASSERT_TRUE(QFile::copy(Input(QStringLiteral("short.wav")), path));
        AddFile(path);
        const int index = List()->topLevelItemCount() - 1;
        List()->setCurrentItem(List()->topLevelItem(index));
        ClickPlay();
        ASSERT_TRUE(WaitForEnd(index));
        EXPECT_EQ(Status(index), QStringLiteral("Complete")) << Log().toStdString();
        ClickPlay();
        ASSERT_TRUE(WaitForPlayCaption());
    }
}

TEST_F(AppFormWorkflowTest, CustomWithoutSamplesEndsWithError)
{
    AddFile(Input(QStringLiteral("short.wav")));
    ChooseEffect(QStringLiteral("Custom"));
    Child<QSlider>("TrackBar1")->setValue(100); // rate 10
    Child<QSlider>("TrackBar2")->setValue(200); // tempo 100
    ClickPlay();
    ASSERT_TRUE(WaitForEnd(0));
    // The tool succeeded and wrote a WAV header with nothing after it.
    EXPECT_GT(QFile(WorkFile()).size(), 0);
    EXPECT_FALSE(SoundFileHasSamples(WorkFile()));
    EXPECT_EQ(Status(0), QStringLiteral("Error"));
    EXPECT_FALSE(SaveButton()->isEnabled());
    EXPECT_FALSE(Player()->IsPlaying());
}

// The file size limit makes the tool die half-way through writing, as on a
// full disk: the partial result holds sound but is no result.
TEST_F(AppFormWorkflowTest, ToolFailingHalfWayEndsWithErrorDespiteAPartialFile)
{
    AddFile(Input(QStringLiteral("long.wav")));
    ChooseEffect(QStringLiteral("Echo (Indoor)"));
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 256 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    ClickPlay();
    const bool ended = WaitForEnd(0);
    setrlimit(RLIMIT_FSIZE, &old);
    ASSERT_TRUE(ended);
    EXPECT_NE(Runner()->ExitCode(), 0u);
    EXPECT_TRUE(SoundFileHasSamples(WorkFile()));
    EXPECT_EQ(Status(0), QStringLiteral("Error"));
    EXPECT_FALSE(SaveButton()->isEnabled());
}

TEST_F(AppFormWorkflowTest, ProgressRunsToItsEndInTheStatusCell)
{
    AddFile(Input(QStringLiteral("long.wav")));
    ChooseEffect(QStringLiteral("Robot"));
    QList<QVariant> seen;
    QObject::connect(List()->model(), &QAbstractItemModel::dataChanged, FForm.get(),
                     [&](const QModelIndex &ATopLeft, const QModelIndex &, const QList<int> &) {
                         if (ATopLeft.row() == 0 && ATopLeft.column() == 1)
                             seen << ATopLeft.data(TStatusProgressDelegate::ProgressRole);
                     });
    ClickPlay();
    ASSERT_TRUE(WaitForEnd(0));
    ASSERT_EQ(Status(0), QStringLiteral("Complete"));

    // Busy until the length is known, then rising to the end; no bar afterwards.
    QList<double> values;
    for (const QVariant &value : seen)
        if (value.isValid())
            values << value.toDouble();
    ASSERT_FALSE(values.isEmpty());
    EXPECT_DOUBLE_EQ(values.constFirst(), TStatusProgressDelegate::Indeterminate);
    QList<double> fractions;
    std::copy_if(values.begin(), values.end(), std::back_inserter(fractions),
                 [](double AValue) { return AValue >= 0; });
    ASSERT_FALSE(fractions.isEmpty()) << "the bar never showed how far the run had come";
    EXPECT_TRUE(std::is_sorted(fractions.begin(), fractions.end()));
    EXPECT_GE(fractions.constLast(), 0.99);
    EXPECT_FALSE(List()->topLevelItem(0)->data(1, TStatusProgressDelegate::ProgressRole).isValid());
}

// ---- Saving ----------------------------------------------------------------

class AppFormSaveTest : public AppFormWorkflowTest
{
protected:
    // One completed run; its playback stopped.
    void SetUp() override
    {
        AppFormWorkflowTest::SetUp();
        AddFile(Input(QStringLiteral("short.wav")));
        ChooseEffect(QStringLiteral("Echo (Mountains)"));
        ClickPlay();
        ASSERT_TRUE(WaitForEnd(0));
        ASSERT_EQ(Status(0), QStringLiteral("Complete"));
        ClickPlay();
        ASSERT_TRUE(WaitForPlayCaption());
        FDialogs.clear();
    }

    // Saving goes on while the event loop turns: waits for its box.
    void ExpectCompleted(const QString &APath)
    {
        ASSERT_TRUE(WaitFor([&] { return !FMessages.isEmpty(); }));
        ASSERT_EQ(FMessages.size(), 1);
        EXPECT_EQ(FMessages[0].Text, QStringLiteral("Completed!\r\rLocation: ") + APath);
        EXPECT_EQ(FMessages[0].Caption, QStringLiteral("Complete"));
        EXPECT_EQ(FMessages[0].Icon, TUserDialogs::IconInformation);
        FMessages.clear();
    }
};

TEST_F(AppFormSaveTest, WavThenMp3WithTheDialogRememberingTheName)
{
    const QString wav = FData.filePath(QStringLiteral("say \"hi\" it's $5 Ærø.wav"));
    FAnswers << wav;
    Child<QAction>("SaveasWAV2")->trigger(); // the File menu entry
    ASSERT_EQ(FDialogs.size(), 1);
    EXPECT_TRUE(FDialogs[0].Save);
    EXPECT_EQ(FDialogs[0].Request.Filter, QStringLiteral("WAV File (*.wav)|*.wav"));
    EXPECT_EQ(FDialogs[0].Request.DefaultExt, QStringLiteral("wav"));
    EXPECT_TRUE(FDialogs[0].Request.FileName.endsWith(QStringLiteral("/short - Echo (Mountains).wav")))
        << FDialogs[0].Request.FileName.toStdString();
    EXPECT_EQ(FDialogs[0].Request.Options,
              TUserDialogs::ofOverwritePrompt | TUserDialogs::ofHideReadOnly | TUserDialogs::ofEnableSizing);
    ExpectCompleted(wav);
    EXPECT_EQ(Contents(wav), Contents(WorkFile()));
    EXPECT_EQ(SoundInputs::Probe(wav).FormatName, QStringLiteral("wav"));

    const QString mp3 = FData.filePath(QStringLiteral("say \"hi\" it's $5 Ærø.mp3"));
    FAnswers << mp3;
    Child<QAction>("SaveasMP31")->trigger(); // the popup entry
    ASSERT_EQ(FDialogs.size(), 2);
    EXPECT_EQ(FDialogs[1].Request.Filter, QStringLiteral("MP3 File (*.mp3)|*.mp3"));
    EXPECT_EQ(FDialogs[1].Request.DefaultExt, QStringLiteral("mp3"));
    EXPECT_EQ(FDialogs[1].Request.FileName, wav);
    ExpectCompleted(mp3);
    const SoundInputs::TProbe probe = SoundInputs::Probe(mp3);
    EXPECT_EQ(probe.FormatName, QStringLiteral("mp3"));
    EXPECT_GT(probe.Duration, 0.5); // the echo lengthens the half second

    // Cancel: nothing happens.
    Child<QAction>("SaveasMP32")->trigger();
    Child<QAction>("SaveasWAV1")->trigger();
    EXPECT_EQ(FDialogs.size(), 4);
    EXPECT_TRUE(FMessages.isEmpty());
}

// The dialogs open in the music folder at first, then where the user went last;
// a save proposes the processed file's name with the effect.
TEST_F(AppFormSaveTest, DialogsStartInTheFolderUsedLastOrTheMusicFolder)
{
    const QString music = FData.filePath(QStringLiteral("Tunes"));
    ASSERT_TRUE(QDir().mkpath(music));
    {
        QFile dirs(ConfigFolder->filePath(QStringLiteral("user-dirs.dirs")));
        ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
        dirs.write("XDG_MUSIC_DIR=\"" + music.toUtf8() + "\"\n");
    }
    SettingsStore().WriteString(QStringLiteral("Settings"), QStringLiteral("LastFolder"), QString());

    QTemporaryDir elsewhere;
    FAnswers << elsewhere.filePath(QStringLiteral("mine.mp3"));
    Child<QAction>("SaveasMP31")->trigger();
    ExpectCompleted(elsewhere.filePath(QStringLiteral("mine.mp3")));
    Child<QAction>("AddSoundFile1")->trigger(); // cancelled
    ASSERT_TRUE(QDir(elsewhere.path()).removeRecursively());
    Child<QAction>("AddSoundFile1")->trigger();
    QFile::remove(ConfigFolder->filePath(QStringLiteral("user-dirs.dirs")));

    ASSERT_EQ(FDialogs.size(), 3);
    EXPECT_EQ(FDialogs[0].Request.Folder, music);
    EXPECT_EQ(FDialogs[0].Request.FileName, music + QStringLiteral("/short - Echo (Mountains).mp3"));
    EXPECT_EQ(FDialogs[1].Request.Folder, elsewhere.path()) << "the folder used last";
    EXPECT_EQ(FDialogs[2].Request.Folder, music) << "the folder used last is gone";
}

TEST_F(AppFormSaveTest, FailuresAreReported)
{
    // The box says why, as the command-line mode does.
    for (const char *name : {"a.mp3", "a.wav"}) {
        FAnswers << FData.filePath(QStringLiteral("no/such/folder/") + QString::fromUtf8(name));
        Child<QAction>(QByteArray(name).endsWith("mp3") ? "SaveasMP31" : "SaveasWAV1")->trigger();
        ASSERT_EQ(FMessages.size(), 1) << name;
        const QString head = QByteArray(name).endsWith("mp3") ? QStringLiteral("MP3 Conversion Failed!\r\r")
                                                               : QStringLiteral("WAV Save Failed!\r\r");
        EXPECT_TRUE(FMessages[0].Text.startsWith(head)) << FMessages[0].Text.toStdString();
        EXPECT_TRUE(FMessages[0].Text.contains(QStringLiteral("No such file or directory")))
            << FMessages[0].Text.toStdString();
        EXPECT_EQ(FMessages[0].Caption, QStringLiteral("Error"));
        FMessages.clear();
    }

    // No result left to save: no dialog.
    ASSERT_TRUE(QFile::remove(WorkFile()));
    FDialogs.clear();
    Child<QAction>("SaveasMP31")->trigger();
    ExpectOneMessage("No file to save!", "Warning", TUserDialogs::IconWarning);
    Child<QAction>("SaveasWAV1")->trigger();
    ExpectOneMessage("No file to save!", "Warning", TUserDialogs::IconWarning);
    EXPECT_TRUE(FDialogs.isEmpty());
}

TEST_F(AppFormSaveTest, ATargetThatIsNoRegularFileIsRefusedAndLeftAsItWas)
{
    const QString fifo = FData.filePath(QStringLiteral("pipe.mp3"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString link = FData.filePath(QStringLiteral("null.wav"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), link));
    const struct
    {
        const char *Action;
        QString Target, Kind;
    } rows[] = {{"SaveasMP31", fifo, QStringLiteral("a named pipe (FIFO)")},
                {"SaveasWAV1", fifo, QStringLiteral("a named pipe (FIFO)")},
                {"SaveasWAV1", link, QStringLiteral("a character device")},
                {"SaveasMP31", link, QStringLiteral("a character device")}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.Action + (": " + row.Target.toStdString()));
        FAnswers << row.Target;
        Child<QAction>(row.Action)->trigger();
        ASSERT_EQ(FMessages.size(), 1);
        EXPECT_EQ(FMessages[0].Text,
                  QStringLiteral("The output \"%1\" is %2, not a regular file; nothing is saved there.")
                      .arg(row.Target, row.Kind));
        EXPECT_EQ(FMessages[0].Caption, QStringLiteral("Error"));
        EXPECT_EQ(FMessages[0].Icon, TUserDialogs::IconError);
        FMessages.clear();
    }
    struct stat status
    {};
    EXPECT_TRUE(stat(QFile::encodeName(fifo).constData(), &status) == 0 && S_ISFIFO(status.st_mode));
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), QStringLiteral("/dev/null"));
}

TEST_F(AppFormWorkflowTest, FileMenuSaveEntriesDoNothingWhileSaveIsDisabled)
{
    // A result from an earlier session is there, but nothing completed yet.
    QDir().mkpath(QFileInfo(WorkFile()).path());
    ASSERT_TRUE(QFile::copy(Input(QStringLiteral("short.wav")), WorkFile()));
    ASSERT_FALSE(SaveButton()->isEnabled());
    FAnswers << FData.filePath(QStringLiteral("x.wav"));
    Child<QAction>("SaveasWAV2")->trigger();
    Child<QAction>("SaveasMP32")->trigger();
    EXPECT_TRUE(FDialogs.isEmpty());
    EXPECT_TRUE(FMessages.isEmpty());
}

TEST_F(AppFormSaveTest, SaveButtonDoesNotReopenTheMenuItJustClosed)
{
    QMenu *menu = Child<QMenu>("PopupMenu1");
    int shown = 0;
    QObject::connect(menu, &QMenu::aboutToShow, menu, [&] {
        ++shown;
        QTimer::singleShot(0, menu, &QMenu::close);
    });
    // Each click returns once the menu has closed again. The press that
    // closes an open popup also reaches the button: right after the close it
    // must not reopen the menu; a later press does.
    QTest::mouseClick(SaveButton(), Qt::LeftButton);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(menu->property("PopupComponent").value<QObject *>(), SaveButton());
    QTest::mouseClick(SaveButton(), Qt::LeftButton);
    EXPECT_EQ(shown, 1);
    QTest::qWait(150);
    QTest::mouseClick(SaveButton(), Qt::LeftButton);
    EXPECT_EQ(shown, 2);
    EXPECT_TRUE(FDialogs.isEmpty());
}

// ---- Workflow faults ---------------------------------------------------------

TEST_F(AppFormWorkflowTest, AFileInTheWayOfTheWorkFileEndsInErrorInsteadOfAQuestion)
{
    // Something the run cannot delete sits where it writes (here a folder):
    // the tool asks on its input whether to replace it, and must be told no.
    EXPECT_TRUE(WorkFile().endsWith(QStringLiteral("/output.wav"))) << "the first window keeps the usual name";
    ASSERT_TRUE(QDir().mkpath(WorkFile() + QStringLiteral("/kept")));
    AddFile(Input(QStringLiteral("short.wav")));
    ClickPlay();
    ASSERT_TRUE(WaitForEnd(0, 20000)) << Log().toStdString();
    EXPECT_EQ(Status(0), QStringLiteral("Error"));
    EXPECT_TRUE(QFileInfo(WorkFile() + QStringLiteral("/kept")).isDir());
    EXPECT_FALSE(SaveButton()->isEnabled());
}

TEST_F(AppFormWorkflowTest, TheStatusColumnShowsProcessingAndItsBarWhole)
{
    AddFile(MakeFifo(QStringLiteral("held.wav")));
    ClickPlay();
    ASSERT_EQ(Status(0), QStringLiteral("Processing..."));
    const QHeaderView *header = List()->header();
    EXPECT_EQ(header->sectionSize(0) + header->sectionSize(1), List()->viewport()->width());
    // The room the item view leaves for text within a cell.
    const int margin = List()->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, List()) + 1;
    const int room = header->sectionSize(1) - 2 * margin;
    EXPECT_GE(room, List()->fontMetrics().horizontalAdvance(QStringLiteral("Processing...")));
    EXPECT_EQ(List()->textElideMode(), Qt::ElideMiddle);
}

TEST_F(AppFormSaveTest, SaveIsUnavailableFromTheStartOfARunUntilOneCompletes)
{
    const auto expectNoSave = [&](const char *AWhen) {
        SCOPED_TRACE(AWhen);
        EXPECT_FALSE(SaveButton()->isEnabled());
        FAnswers << FData.filePath(QStringLiteral("x.wav"));
        for (const char *entry : {"SaveasWAV2", "SaveasMP32", "SaveasWAV1", "SaveasMP31"})
            Child<QAction>(entry)->trigger();
        EXPECT_TRUE(FDialogs.isEmpty());
        EXPECT_TRUE(FMessages.isEmpty());
        FAnswers.clear();
    };
    AddFile(MakeFifo(QStringLiteral("held.wav"))); // the tool waits on it
    FDialogs.clear();
    List()->setCurrentItem(List()->topLevelItem(1));
    ClickPlay();
    ASSERT_TRUE(WaitFor([&] { return Runner()->ProcessInformation().dwProcessId != 0; }));
    expectNoSave("while the run is under way");
    ClickPlay();
    ASSERT_TRUE(WaitForEnd(1));
    ASSERT_EQ(Status(1), QStringLiteral("Error"));
    expectNoSave("after a run that did not complete");
}

TEST_F(AppFormSaveTest, TheLastResultIsProcessedAgainWithoutBeingLost)
{
    AddFile(WorkFile());
    List()->setCurrentItem(List()->topLevelItem(1));
    ClickPlay();
    ASSERT_TRUE(WaitForEnd(1));
    EXPECT_EQ(Status(1), QStringLiteral("Complete")) << Log().toStdString();
    EXPECT_TRUE(SoundFileHasSamples(WorkFile()));
}

// ---- Saving while the window stays responsive --------------------------------

class AppFormLongSaveTest : public AppFormSaveTest
{
protected:
    // The result becomes a long one, so its conversion is still under way
    // when the test acts; the target exists already.
    void SetUp() override
    {
        AppFormSaveTest::SetUp();
        ASSERT_EQ(RunFfmpeg({QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                             QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("sine=duration=600"),
                             QStringLiteral("-ar"), QStringLiteral("8000"), WorkFile()})
                      .ExitCode,
                  0);
        QFile file(FTarget);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("the user's older file");
    }

    QStringList SaveFolderFiles() const
    {
        return QDir(FSaveFolder.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }

    void ExpectTargetAsItWas() const
    {
        EXPECT_EQ(Contents(FTarget), QByteArray("the user's older file"));
        EXPECT_EQ(SaveFolderFiles(), QStringList{QStringLiteral("old.mp3")}) << "a file left beside the target";
    }

    QTemporaryDir FSaveFolder;
    const QString FTarget = FSaveFolder.filePath(QStringLiteral("old.mp3"));
};

TEST_F(AppFormLongSaveTest, Mp3SaveShowsAModalProgressWhoseCancelKeepsTheTarget)
{
    FAnswers << FTarget;
    Child<QAction>("SaveasMP31")->trigger(); // returns at once: the conversion goes on
    QProgressDialog *progress = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        progress = FForm->findChild<QProgressDialog *>(QStringLiteral("SaveProgress"));
        return progress && progress->isVisible();
    }));
    EXPECT_EQ(progress->windowModality(), Qt::WindowModal);
    EXPECT_EQ(progress->parentWidget(), FForm.get());
    EXPECT_EQ(SaveFolderFiles().size(), 2) << "the conversion's own file beside the target";

    // A second save is not offered while one is under way.
    Child<QAction>("SaveasWAV1")->trigger();
    EXPECT_EQ(FDialogs.size(), 1);

    QPushButton *cancel = progress->findChild<QPushButton *>();
    ASSERT_NE(cancel, nullptr);
    QTest::mouseClick(cancel, Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !FForm->findChild<QProgressDialog *>(QStringLiteral("SaveProgress")); }));
    EXPECT_TRUE(FMessages.isEmpty()) << "a cancelled save is no failure";
    ExpectTargetAsItWas();
}

// A stop from outside: SIGTERM, Ctrl+C in the terminal, the terminal closed.
class AppFormSignalDuringSaveTest : public AppFormLongSaveTest, public ::testing::WithParamInterface<int>
{
};

TEST_P(AppFormSignalDuringSaveTest, EndsTheLoopAndLeavesNothingBehind)
{
    const int signal = GetParam();
    const TQuitOnTermination quitOnTermination;
    FAnswers << FTarget;
    Child<QAction>("SaveasMP31")->trigger();
    ASSERT_EQ(SaveFolderFiles().size(), 2);
    // The window's main loop, ended by the signal instead of the whole program.
    QTimer::singleShot(100, [signal] { raise(signal); });
    EXPECT_EQ(QCoreApplication::exec(), 128 + signal);
    FForm.reset(); // what the exit does next
    ExpectTargetAsItWas();
}

INSTANTIATE_TEST_SUITE_P(Mp3Save, AppFormSignalDuringSaveTest, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto &AInfo) { return std::string(sigabbrev_np(AInfo.param)); });

} // namespace

namespace {

TEST(AppFormWithoutDataFolder, ResultsGoToANewFileAndTheUsersOwnStaysAsItWas)
{
    // The data folder cannot be made (a file stands where it would go), so
    // the window works in the current folder, where the user keeps a file
    // named like the usual work file.
    QTemporaryDir home;
    QTemporaryDir current;
    const QString blocker = home.filePath(QStringLiteral("data"));
    QFile(blocker).open(QIODevice::WriteOnly);
    const TScopedEnv data("XDG_DATA_HOME", blocker.toUtf8());
    const TScopedEnv config("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toUtf8());
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(current.path()));
    const QString users = current.filePath(QStringLiteral("output.wav"));
    {
        QFile file(users);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("the user's own output.wav");
    }
    const QString input = current.filePath(QStringLiteral("in.wav"));
    ASSERT_TRUE(SoundInputs::Make(input, 0.5));
    QList<TMessage> messages;
    TUserDialogs::SetMessageAnswer([&](const QString &AText, const QString &ACaption, int AIcon) {
        messages.append({AText, ACaption, AIcon});
    });
    AppDataFolder.clear();
    QString workFile;
    {
        TAppForm form(nullptr, VersionFixture::TonaraExecutable());
        form.OpenSoundFiles({input});
        form.show();
        workFile = QFileInfo(WorkFile()).absoluteFilePath();
        QTest::mouseClick(form.findChild<QPushButton *>(QStringLiteral("ButtonPlay")), Qt::LeftButton);
        auto *list = form.findChild<QTreeWidget *>(QStringLiteral("ListView1"));
        EXPECT_TRUE(WaitFor([&] { return list->topLevelItem(0)->text(1) == QStringLiteral("Complete"); }));
        EXPECT_TRUE(SoundFileHasSamples(workFile));
    }
    TUserDialogs::SetMessageAnswer({});
    QDir::setCurrent(before);
    EXPECT_NE(workFile, users);
    ASSERT_FALSE(messages.isEmpty());
    EXPECT_TRUE(messages[0].Text.endsWith(QStringLiteral("\n\nResults go to: ") + workFile))
        << messages[0].Text.toStdString();
    QFile file(users);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("the user's own output.wav"));
    EXPECT_FALSE(QFileInfo::exists(workFile)) << "the window's own work file goes with it";
}

} // namespace

namespace {

// Fast Play/Stop presses, then the window closed about a second after a last
// Play, round after round: the window must close every time, its children gone.
// A hang prints every thread's stack. TONARA_STRESS_ROUNDS sets the rounds.
TEST_F(AppFormWorkflowTest, FastPlayStopThenClosingSoonAfterAPlayNeverHangs)
{
    const int rounds = qEnvironmentVariableIntValue("TONARA_STRESS_ROUNDS") > 0
                           ? qEnvironmentVariableIntValue("TONARA_STRESS_ROUNDS")
                           : 4;
    const QString input = Input(QStringLiteral("long.wav"));
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE(round);
        const THangWatch watch(60, "a round of Play/Stop presses and closing the window");
        if (round > 0) {
            FForm = std::make_unique<TAppForm>(nullptr, VersionFixture::TonaraExecutable());
            FForm->show();
        }
        AddFile(input);
        for (int press = 0; press < 12; ++press) {
            ClickPlay();
            QTest::qWait((press * 7 + round * 3) % 40); // from at once to a started child
        }
        if (PlayButton()->text() == QStringLiteral("Play"))
            ClickPlay();
        QTest::qWait(1000);
        const qint64 child = Runner()->ProcessInformation().dwProcessId;
        FForm->close();
        FForm.reset();
        FMessages.clear(); // a press that came too soon after a Stop is told so
        if (child != 0) {
            EXPECT_TRUE(WaitFor([child] { return !QFileInfo::exists(QStringLiteral("/proc/%1").arg(child)); }, 20000))
                << "the tool is killed and reaped";
        }
    }
}

} // namespace
