#include "gui/AppForm.h"
#include "gui/GuiBuildSettings.h"

#include "gui/UserDialogs.h"
#include "i18n/Language.h"
#include "identity/AppIdentity.h"
#include "support/RecordedMessage.h"
#include "support/ScopedEnv.h"
#include "support/TestConfigFolder.h"
#include "support/UrlCatcher.h"
#include "support/VersionFixture.h"
#include "support/WaitFor.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <gtest/gtest.h>
#include <thread>

#include "support/QtPrinters.h"

namespace {

class AppFormTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { TTestConfigFolder::Create(); }
    static void TearDownTestSuite() { TTestConfigFolder::Remove(); }

    void SetUp() override
    {
        FDataHome = FFolder.filePath(QStringLiteral("data"));
        qputenv("XDG_DATA_HOME", FDataHome.toUtf8());
        AppCompanyName.clear();
        AppProductName.clear();
        AppVersion.clear();
        AppTitle.clear();
        AppDataFolder.clear();
        TUserDialogs::SetMessageAnswer([this](const QString &AText, const QString &ACaption, int AIcon) {
            FMessages.append({AText, ACaption, AIcon});
        });
    }

    void TearDown() override
    {
        TUserDialogs::SetMessageAnswer({});
        qunsetenv("XDG_DATA_HOME");
    }

    std::unique_ptr<TAppForm> CreateForm(const QString &AExecutable = VersionFixture::TonaraExecutable())
    {
        return std::make_unique<TAppForm>(nullptr, AExecutable);
    }

    template <typename T> static T *Child(const QObject *AForm, const char *AName)
    {
        T *child = AForm->findChild<T *>(QString::fromLatin1(AName));
        EXPECT_NE(child, nullptr) << AName;
        return child;
    }

    static QString ConfigFile() { return TTestConfigFolder::FilePath(QStringLiteral("Quillaby/Tonara.conf")); }

    QTemporaryDir FFolder;
    QString FDataHome;
    QList<TMessage> FMessages;
};

TEST_F(AppFormTest, IdentityComesFromTheExecutablesVersionBlock)
{
    const auto form = CreateForm();
    EXPECT_TRUE(FMessages.isEmpty());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Quillaby - Tonara"));
    EXPECT_EQ(AppCompanyName, QStringLiteral("Quillaby"));
    EXPECT_EQ(AppProductName, QStringLiteral("Tonara"));
    EXPECT_EQ(AppVersion, QStringLiteral("1.0"));
    EXPECT_EQ(AppTitle, QStringLiteral("Quillaby - Tonara"));
    EXPECT_EQ(AppDataFolder, FDataHome + QStringLiteral("/Quillaby/Tonara/"));
    EXPECT_TRUE(QDir(AppDataFolder).exists());
    EXPECT_EQ(WorkFile(), FDataHome + QStringLiteral("/Quillaby/Tonara/output.wav"));
}

TEST_F(AppFormTest, DataFoldersAreCreatedOneLevelAtATime)
{
    enum TPrepare { Nothing, CompanyFolder, BothFolders, CompanyLink, CompanyFile, ProductFile };
    const struct
    {
        const char *Name;
        TPrepare Prepare;
        int ErrorCode; // 0: no error box
    } cases[] = {
        {"nothing exists yet", Nothing, 0},
        {"company folder exists", CompanyFolder, 0},
        {"both folders exist", BothFolders, 0},
        {"company folder is a link", CompanyLink, 0},
        {"a file holds the company name", CompanyFile, 17},
        {"a file holds the product name", ProductFile, 17},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        QTemporaryDir home;
        FDataHome = home.filePath(QStringLiteral("data"));
        qputenv("XDG_DATA_HOME", FDataHome.toUtf8());
        const QString company = FDataHome + QStringLiteral("/Quillaby");
        const QString product = company + QStringLiteral("/Tonara");
        QDir().mkpath(FDataHome);
        if (c.Prepare == CompanyFolder || c.Prepare == BothFolders || c.Prepare == ProductFile)
            QDir().mkpath(company);
        if (c.Prepare == BothFolders)
            QDir().mkpath(product);
        if (c.Prepare == CompanyLink) {
            QDir().mkpath(home.filePath(QStringLiteral("elsewhere")));
            QFile::link(home.filePath(QStringLiteral("elsewhere")), company);
        }
        const QString blocker = c.Prepare == CompanyFile ? company : product;
        if (c.Prepare == CompanyFile || c.Prepare == ProductFile) {
            QFile file(blocker);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        QFile marker(company + QStringLiteral("/keep.txt"));
        if (c.Prepare == CompanyFolder) {
            ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
        }
        FMessages.clear();
        AppDataFolder.clear();

        const auto form = CreateForm();
        EXPECT_EQ(form->windowTitle(), QStringLiteral("Quillaby - Tonara"));
        if (c.ErrorCode == 0) {
            EXPECT_TRUE(FMessages.isEmpty());
            EXPECT_EQ(AppDataFolder, product + QLatin1Char('/'));
            EXPECT_TRUE(QFileInfo(product).isDir());
            EXPECT_EQ(QFileInfo::exists(marker.fileName()), c.Prepare == CompanyFolder);
            if (c.Prepare == CompanyLink) {
                EXPECT_TRUE(QFileInfo(home.filePath(QStringLiteral("elsewhere/Tonara"))).isDir());
            }
        } else {
            ASSERT_EQ(FMessages.size(), 1);
            // Results go to a new file in the current folder, never to a file of the user's.
            EXPECT_EQ(FMessages[0].Text, QStringLiteral("System Error.  Code: %1.\nFile exists\n%2\n\nResults go to: %3")
                                             .arg(c.ErrorCode)
                                             .arg(blocker, QFileInfo(WorkFile()).absoluteFilePath()));
            EXPECT_EQ(FMessages[0].Caption, QCoreApplication::applicationName());
            EXPECT_EQ(FMessages[0].Icon, 16);
            EXPECT_EQ(AppDataFolder, QString());
            EXPECT_TRUE(QRegularExpression(QStringLiteral("^output-\\w{6}\\.wav$"))
                            .match(QFileInfo(WorkFile()).fileName())
                            .hasMatch())
                << WorkFile().toStdString();
            EXPECT_EQ(QFileInfo(WorkFile()).absolutePath(), QDir::currentPath());
            EXPECT_TRUE(QFileInfo(WorkFile()).isFile());
        }
    }
}

TEST_F(AppFormTest, AnUnreadableIdentityIsReportedAndTheWindowStillOpens)
{
    const auto form = CreateForm(QStringLiteral("/bin/true"));
    ASSERT_EQ(FMessages.size(), 1);
    EXPECT_EQ(FMessages[0].Text, QStringLiteral("System Error.  Code: 61.\nNo data available\n\nResults go to: ")
                                     + QFileInfo(WorkFile()).absoluteFilePath());
    EXPECT_EQ(FMessages[0].Icon, 16);
    EXPECT_EQ(form->windowTitle(), QString());
    EXPECT_EQ(AppCompanyName, QString());
    EXPECT_EQ(AppVersion, QString());
    EXPECT_EQ(AppDataFolder, QString());
    EXPECT_FALSE(QFileInfo::exists(FDataHome + QStringLiteral("/Quillaby")));

    form->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
}

TEST_F(AppFormTest, ABlockWithoutProductNameGivesAHalfCaption)
{
    TVersionBlockBuilder builder;
    builder.AddStringTable(QStringLiteral("040904B0"), {{QStringLiteral("CompanyName"), QStringLiteral("Quillaby")}});
    builder.AddTranslation(0x0409, 1200);
    builder.OmitFixedFileInfo();
    const auto form = CreateForm(VersionFixture::ExecutableWithBlock(FFolder.path(), QStringLiteral("half"), builder));
    EXPECT_TRUE(FMessages.isEmpty());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Quillaby - "));
    EXPECT_EQ(AppVersion, QStringLiteral("65535.65535"));
}

TEST_F(AppFormTest, LayoutRowsFontsAndSizes)
{
    const auto form = CreateForm();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));

    EXPECT_EQ(form->centralWidget()->size(), QSize(520, 370));
    const QPoint screenCentre = form->screen()->availableGeometry().center();
    EXPECT_LE((form->frameGeometry().center() - screenCentre).manhattanLength(), 1);
    EXPECT_EQ(form->font().family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(form->font().pointSize(), 8);

    // Rows from top to bottom; hidden rows take no room.
    const struct
    {
        const char *Name;
        bool Visible;
        int Top;
        int Height;
    } rows[] = {
        {"ListView1", true, 0, 301}, {"Memo1", false, -1, 105}, {"Panel2", true, 301, 35},
        {"Panel3", false, -1, 42},   {"Panel4", false, -1, 42}, {"Panel1", true, 336, 34},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.Name);
        const QWidget *widget = Child<QWidget>(form.get(), row.Name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->isVisible(), row.Visible);
        if (row.Visible) {
            EXPECT_EQ(widget->geometry(), QRect(0, row.Top, 520, row.Height));
        } else {
            EXPECT_EQ(widget->minimumHeight(), row.Height);
            EXPECT_EQ(widget->maximumHeight(), row.Height);
        }
    }

    const auto *list = Child<QTreeWidget>(form.get(), "ListView1");
    EXPECT_EQ(list->headerItem()->text(0), QStringLiteral("Sound File"));
    EXPECT_EQ(list->headerItem()->text(1), QStringLiteral("Status"));
    EXPECT_EQ(list->columnCount(), 2);
    EXPECT_EQ(list->header()->sectionSize(0) + list->header()->sectionSize(1), list->viewport()->width());
    EXPECT_GT(list->header()->sectionSize(0), list->header()->sectionSize(1));
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    const auto *memo = Child<QPlainTextEdit>(form.get(), "Memo1");
    EXPECT_EQ(memo->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

    EXPECT_EQ(Child<QLabel>(form.get(), "Label1")->text(), QStringLiteral("Filter:"));
    EXPECT_EQ(Child<QLabel>(form.get(), "Label1")->width(), 80);
    EXPECT_FALSE(Child<QComboBox>(form.get(), "ComboBox1")->isEditable());

    const struct
    {
        const char *Name;
        const char *Text;
        bool Enabled;
        bool Icon;
        int Left;
    } buttons[] = {{"ButtonPlay", "Play", true, false, 3}, {"ButtonSave", "Save", false, true, 109}};
    for (const auto &b : buttons) {
        SCOPED_TRACE(b.Name);
        const auto *button = Child<QPushButton>(form.get(), b.Name);
        EXPECT_EQ(button->text(), QString::fromLatin1(b.Text));
        EXPECT_EQ(button->isEnabled(), b.Enabled);
        EXPECT_EQ(button->size(), QSize(100, 28));
        EXPECT_EQ(button->x(), b.Left);
        EXPECT_EQ(button->font().pointSize(), 12);
        EXPECT_EQ(button->icon().isNull(), !b.Icon);
    }
    // The arrow stands to the right of the caption.
    EXPECT_EQ(Child<QPushButton>(form.get(), "ButtonSave")->layoutDirection(), Qt::RightToLeft);
}

// A tool that prints without end must not grow the window without end: the
// log keeps its last lines only.
TEST_F(AppFormTest, LogKeepsItsLastLines)
{
    const auto form = CreateForm();
    const auto *memo = Child<QPlainTextEdit>(form.get(), "Memo1");
    const int kept = memo->maximumBlockCount();
    EXPECT_GE(kept, 1000);
    for (int i = 0; i < kept + 10; ++i)
        form->PlayRunNewLine(QStringLiteral("line %1").arg(i), otEntireLine);
    EXPECT_EQ(memo->blockCount(), kept);
    EXPECT_EQ(memo->document()->firstBlock().text(), QStringLiteral("line 10"));
    EXPECT_EQ(memo->document()->lastBlock().text(), QStringLiteral("line %1").arg(kept + 9));
}

TEST_F(AppFormTest, MainMenuAsTheWindowIsCreated)
{
    const auto form = CreateForm();
    const struct
    {
        const char *Menu;
        const char *Name;
        const char *Text; // nullptr: separator
        const char *Shortcut;
        bool Visible;
        bool Enabled;
        bool Checked;
    } entries[] = {
        {"File1", "AddSoundFile1", "Add Sound File...", "Ctrl+O", true, true, false},
        {"File1", "RemovefromList1", "Remove from List", "Del", true, true, false},
        {"File1", "ClearList1", "Clear List", "", true, true, false},
        {"File1", "ProcessAllFiles1", "Process All Files...", "Ctrl+Shift+P", true, true, false},
        {"File1", "RecordVoice1", "Record Voice...", "Ctrl+R", true, true, false},
        {"File1", "LiveVoice1", "Live Voice...", "Ctrl+L", true, true, false},
        {"File1", "N1", nullptr, "", true, true, false},
        {"File1", "SaveasMP32", "Save as MP3...", "Ctrl+Shift+S", true, true, false},
        {"File1", "SaveasWAV2", "Save as WAV...", "Ctrl+S", true, true, false},
        {"File1", "N2", nullptr, "", true, true, false},
        {"File1", "Exit1", "Exit", "Ctrl+Q", true, true, false},
        {"Help1", "Help2", "Online Help", "F1", true, true, false},
        {"Help1", "N3", nullptr, "", true, true, false},
        {"Help1", "UpdateNotifications1", "Update Notifications", "", false, false, true},
        {"Help1", "CheckforUpdates1", "Check for Updates at Start-up", "", true, true, true},
        {"Help1", "N4", nullptr, "", false, true, false},
        {"Help1", "Language1", "Language...", "", false, true, false},
        {"Help1", "SendFeedback1", "Send &Feedback...", "", true, true, false},
        {"Help1", "About1", "&About...", "", true, true, false},
    };
    // A build without the online parts has no entries for them.
    const auto built = [](const char *AName) {
        return TONARA_ONLINE
               || !QStringList({QStringLiteral("UpdateNotifications1"), QStringLiteral("CheckforUpdates1"),
                                QStringLiteral("SendFeedback1")})
                       .contains(QLatin1String(AName));
    };
    const auto *bar = form->menuBar();
    ASSERT_EQ(bar->actions().size(), 2);
    EXPECT_EQ(bar->actions()[0]->text(), QStringLiteral("&File"));
    EXPECT_EQ(bar->actions()[1]->text(), QStringLiteral("&Help"));

    QMap<QString, int> position;
    for (const auto &e : entries) {
        if (!built(e.Name))
            continue;
        SCOPED_TRACE(e.Name);
        const auto *menu = Child<QMenu>(form.get(), e.Menu);
        ASSERT_NE(menu, nullptr);
        const int index = position[QString::fromLatin1(e.Menu)]++;
        ASSERT_LT(index, menu->actions().size());
        const QAction *action = menu->actions()[index];
        EXPECT_EQ(action->objectName(), QString::fromLatin1(e.Name));
        EXPECT_EQ(action->isSeparator(), e.Text == nullptr);
        if (e.Text) {
            EXPECT_EQ(action->text(), QString::fromLatin1(e.Text));
        }
        EXPECT_EQ(action->shortcut().toString(), QString::fromLatin1(e.Shortcut));
        EXPECT_EQ(action->isChecked(), e.Checked);
        EXPECT_EQ(action->isVisible(), e.Visible);
    }
    // Qt reports every hidden action as disabled; shown, an entry reveals the state it keeps.
    for (const auto &e : entries) {
        if (!built(e.Name))
            continue;
        SCOPED_TRACE(e.Name);
        auto *action = Child<QAction>(form.get(), e.Name);
        action->setVisible(true);
        EXPECT_EQ(action->isEnabled(), e.Enabled);
    }
    EXPECT_EQ(Child<QMenu>(form.get(), "File1")->actions().size(), position[QStringLiteral("File1")]);
    EXPECT_EQ(Child<QMenu>(form.get(), "Help1")->actions().size(), position[QStringLiteral("Help1")]);
}

TEST_F(AppFormTest, EffectListAndTheCustomRows)
{
    const auto form = CreateForm();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    auto *combo = Child<QComboBox>(form.get(), "ComboBox1");
    auto *rate = Child<QSlider>(form.get(), "TrackBar1");
    auto *tempo = Child<QSlider>(form.get(), "TrackBar2");
    const QWidget *rateRow = Child<QWidget>(form.get(), "Panel3");
    const QWidget *tempoRow = Child<QWidget>(form.get(), "Panel4");

    const QStringList items = {QStringLiteral("Channel Difference"),
                               QStringLiteral("Channel Shift"),
                               QStringLiteral("Child"),
                               QStringLiteral("Chorus"),
                               QStringLiteral("Crusher"),
                               QStringLiteral("Custom"),
                               QStringLiteral("Echo (Indoor)"),
                               QStringLiteral("Echo (Mountains)"),
                               QStringLiteral("Phaser"),
                               QStringLiteral("Reverse"),
                               QStringLiteral("Robot"),
                               QStringLiteral("Scary"),
                               QStringLiteral("Sinusoidal"),
                               QStringLiteral("Whisper")};
    QStringList shown;
    for (int i = 0; i < combo->count(); ++i)
        shown << combo->itemText(i);
    EXPECT_EQ(shown, items);
    EXPECT_EQ(combo->currentText(), QStringLiteral("Robot"));

    const struct
    {
        QSlider *Slider;
        int Maximum;
        int Value;
    } sliders[] = {{rate, 100, 10}, {tempo, 200, 2}};
    for (const auto &s : sliders) {
        EXPECT_EQ(s.Slider->orientation(), Qt::Horizontal);
        EXPECT_EQ(s.Slider->minimum(), 1);
        EXPECT_EQ(s.Slider->maximum(), s.Maximum);
        EXPECT_EQ(s.Slider->value(), s.Value);
        EXPECT_EQ(s.Slider->tickPosition(), QSlider::TicksBothSides);
        EXPECT_EQ(s.Slider->tickInterval(), 5);
    }

    // The user steps through the list with the keyboard: "Robot" (10) up to "Custom" (5).
    combo->setFocus();
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(combo, Qt::Key_Up);
    ASSERT_EQ(combo->currentText(), QStringLiteral("Custom"));
    EXPECT_TRUE(rateRow->isVisible());
    EXPECT_TRUE(tempoRow->isVisible());
    const QWidget *filterRow = Child<QWidget>(form.get(), "Panel2");
    const QWidget *buttonRow = Child<QWidget>(form.get(), "Panel1");
    EXPECT_EQ(rateRow->y(), filterRow->geometry().bottom() + 1);
    EXPECT_EQ(tempoRow->y(), rateRow->geometry().bottom() + 1);
    EXPECT_EQ(buttonRow->y(), tempoRow->geometry().bottom() + 1);
    EXPECT_EQ(buttonRow->geometry().bottom(), 369);
    EXPECT_EQ(Child<QWidget>(form.get(), "ListView1")->height(), 370 - 35 - 42 - 42 - 34);
    EXPECT_EQ(Child<QLabel>(form.get(), "Label2")->text(), QStringLiteral("Rate:"));
    EXPECT_EQ(Child<QLabel>(form.get(), "Label5")->text(), QStringLiteral("Tempo:"));
    for (const char *name : {"Label3", "Label6"})
        EXPECT_EQ(Child<QLabel>(form.get(), name)->text(), QStringLiteral("LOW"));
    for (const char *name : {"Label4", "Label7"})
        EXPECT_EQ(Child<QLabel>(form.get(), name)->text(), QStringLiteral("HIGH"));
    for (const char *name : {"Label3", "Label4", "Label6", "Label7"})
        EXPECT_TRUE(Child<QLabel>(form.get(), name)->font().bold()) << name;

    rate->setValue(55);
    tempo->setValue(150);
    QTest::keyClick(combo, Qt::Key_Down); // "Echo (Indoor)"
    EXPECT_FALSE(rateRow->isVisible());
    EXPECT_FALSE(tempoRow->isVisible());
    EXPECT_EQ(rate->value(), 55);
    EXPECT_EQ(tempo->value(), 150);
    EXPECT_EQ(buttonRow->y(), 336);

    QTest::keyClick(combo, Qt::Key_Up); // "Custom" again: sliders back to where they started
    EXPECT_TRUE(rateRow->isVisible());
    EXPECT_EQ(rate->value(), 10);
    EXPECT_EQ(tempo->value(), 2);
}

TEST_F(AppFormTest, F1OpensTheOnlineHelpPage)
{
    const TScopedEnv server("TONARA_SERVER", "127.0.0.1:8123");
    TUrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "Open");
    const auto form = CreateForm();
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));

    QTest::keyClick(form.get(), Qt::Key_F1);
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    ASSERT_EQ(catcher.Urls.size(), 1);
    EXPECT_EQ(catcher.Urls[0].toString(), QStringLiteral("http://127.0.0.1:8123/help/tonara/"));
}

TEST_F(AppFormTest, ExitEndsTheMessageLoop)
{
    const auto form = CreateForm();
    form->show();
    QTimer::singleShot(0, Child<QAction>(form.get(), "Exit1"), &QAction::trigger);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(10000);
    EXPECT_EQ(QApplication::exec(), 0);
}

} // namespace

TEST_F(AppFormTest, AboutOpensAFreshAboutBoxModally)
{
    const auto form = CreateForm();
    QString caption;
    QPointer<QWidget> box;
    QTimer::singleShot(0, form.get(), [&] {
        box = QApplication::activeModalWidget();
        if (!box)
            return;
        caption = box->windowTitle();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    Child<QAction>(form.get(), "About1")->trigger();
    EXPECT_EQ(caption, Translate(QStringLiteral("About")) + QStringLiteral(" Tonara"));
    EXPECT_TRUE(WaitUntil([&] { return box.isNull(); })) << "the box is freed when it closes";
    EXPECT_FALSE(QApplication::windowIcon().isNull());
}
