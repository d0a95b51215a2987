#include "gui/TranslateForm.h"

#include "gui/AppForm.h"
#include "gui/UserDialogs.h"
#include "i18n/Language.h"
#include "identity/AppIdentity.h"
#include "identity/SettingsStore.h"
#include "platform/ExecutableFolder.h"
#include "support/CaseName.h"
#include "support/RecordedMessage.h"
#include "support/ScopedEnv.h"
#include "support/TestConfigFolder.h"
#include "support/TestFolder.h"
#include "support/UrlCatcher.h"
#include "support/VersionFixture.h"
#include "support/WaitFor.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "support/QtPrinters.h"

namespace {

template <typename T> T *Child(const QObject *AForm, const char *AName)
{
    T *child = AForm->findChild<T *>(QString::fromLatin1(AName));
    EXPECT_NE(child, nullptr) << AName;
    return child;
}

QStringList Entries(const QComboBox *ACombo)
{
    QStringList entries;
    for (int i = 0; i < ACombo->count(); ++i)
        entries << ACombo->itemText(i);
    return entries;
}

// A language file; Content nullptr makes it a link to nowhere, which is listed
// but cannot be read.
struct TLanguageFile
{
    const char *Name;
    const char *Content;
};

struct TListCase
{
    const char *Name;
    std::vector<TLanguageFile> Files; // empty: no languages folder at all
    const char *Active;               // file loaded at start-up
    int Select;                       // entry chosen afterwards; -1: none
    QStringList List;
    int Selected;
    QString Translators;
    const char *RemoveBeforeSelecting = nullptr;
};

class TranslateFormList : public testing::TestWithParam<TListCase>
{};

} // namespace

TEST_P(TranslateFormList, ListSelectionAndTranslators)
{
    const TListCase &c = GetParam();
    const TTestFolder folder;
    const QString languages = folder.FilePath(QStringLiteral("Languages"));
    if (!c.Files.empty())
        QDir().mkpath(languages);
    for (const TLanguageFile &file : c.Files) {
        const QString path = languages + u'/' + QString::fromUtf8(file.Name);
        if (file.Content)
            folder.Write(QStringLiteral("Languages/") + QString::fromUtf8(file.Name), file.Content);
        else
            ASSERT_TRUE(QFile::link(folder.FilePath(QStringLiteral("nowhere")), path));
    }
    LoadActiveLanguageFrom(languages, QStringLiteral("0"), QString::fromUtf8(c.Active));

    const QPointer<TTranslateForm> form = new TTranslateForm;
    const auto *combo = Child<QComboBox>(form, "ComboBox1");
    if (c.RemoveBeforeSelecting)
        QFile::remove(languages + u'/' + QString::fromUtf8(c.RemoveBeforeSelecting));
    if (c.Select >= 0)
        Child<QComboBox>(form, "ComboBox1")->setCurrentIndex(c.Select);

    EXPECT_EQ(Entries(combo), c.List);
    EXPECT_EQ(combo->currentIndex(), c.Selected);
    EXPECT_EQ(Child<QPlainTextEdit>(form, "RichEdit1")->toPlainText(), c.Translators);
    delete form;
}

INSTANTIATE_TEST_SUITE_P(Folders, TranslateFormList,
                         testing::Values(TListCase{"NoLanguagesFolder", {}, "", -1, {"English"}, 0, "Quillaby"},
                                         TListCase{"ActiveLanguageSelectedTranslatorsTrimmed",
                                                   {{"Deutsch.lang.txt", "{INFO:Translated By} Anna ,Bert,\tCarl \n"},
                                                    {"Fran\xc3\xa7"
                                                     "ais.lang.txt",
                                                     "{INFO:Translated By}Luc\n"}},
                                                   "Deutsch.lang.txt",
                                                   -1,
                                                   {"Deutsch", "English", "Fran\u00e7ais"},
                                                   0,
                                                   "Anna\nBert\nCarl"},
                                         TListCase{"NoLanguageLoadedKeepsEnglish",
                                                   {{"Deutsch.lang.txt", "{INFO:Translated By}Anna\n"}},
                                                   "",
                                                   -1,
                                                   {"Deutsch", "English"},
                                                   1,
                                                   "Quillaby"},
                                         TListCase{"ChoosingAnotherEntry",
                                                   {{"Espa\xc3\xb1ol.lang.txt", "{INFO:Translated By}Ana,,Luis\n"},
                                                    {"Deutsch.lang.txt", "x\n"}},
                                                   "Deutsch.lang.txt",
                                                   2,
                                                   {"Deutsch", "English", "Espa\u00f1ol"},
                                                   2,
                                                   "Ana\n\nLuis"},
                                         TListCase{"NoTranslatorsLine",
                                                   {{"Deutsch.lang.txt", "{OK}OK\n"}},
                                                   "",
                                                   0,
                                                   {"Deutsch", "English"},
                                                   0,
                                                   "INFO:Translated By"},
                                         TListCase{"AnEnglishFileNamesTheMakerToo",
                                                   {{"English.lang.txt", "{INFO:Translated By}Someone\n"}},
                                                   "English.lang.txt",
                                                   1,
                                                   {"English", "English"},
                                                   1,
                                                   "Quillaby"},
                                         TListCase{"UnreadableFile",
                                                   {{"Broken.lang.txt", nullptr}, {"Deutsch.lang.txt", "x\n"}},
                                                   "",
                                                   0,
                                                   {"Broken", "Deutsch", "English"},
                                                   0,
                                                   ""},
                                         TListCase{"FileGoneSinceTheStart",
                                                   {{"Deutsch.lang.txt", "{INFO:Translated By}Anna\n"}},
                                                   "",
                                                   0,
                                                   {"Deutsch", "English"},
                                                   0,
                                                   "",
                                                   "Deutsch.lang.txt"}),
                         CaseName<TListCase>);

namespace {

// The dialog over the shipped languages, copied beside this test program, with
// German loaded; the data and settings folders are the test's own.
class TranslateFormRestart : public testing::Test
{
protected:
    static void SetUpTestSuite() { TTestConfigFolder::Create(); }
    static void TearDownTestSuite() { TTestConfigFolder::Remove(); }

    void SetUp() override
    {
        qputenv("XDG_DATA_HOME", FFolder.FilePath(QStringLiteral("data")).toUtf8());
        AppCompanyName = QStringLiteral("Quillaby");
        AppProductName = QStringLiteral("Tonara");
        AppDataFolder.clear();
        SettingsStore().WriteString(QStringLiteral("Settings"), QStringLiteral("Language"), QString());
        TUserDialogs::SetMessageAnswer([this](const QString &AText, const QString &ACaption, int AIcon) {
            FMessages.append({AText, ACaption, AIcon});
        });
        TUserDialogs::SetQuestionAnswer([this](const QString &AText, const QString &) {
            FQuestions << AText;
            return FAnswerYes;
        });
    }

    void TearDown() override
    {
        delete FForm;
        TUserDialogs::SetMessageAnswer({});
        TUserDialogs::SetQuestionAnswer({});
        qunsetenv("XDG_DATA_HOME");
    }

    // The dialog, shown, restarting AProgram; wired to a main window as the menu entry does.
    void Open(const QString &AProgram = QString())
    {
        FMain = std::make_unique<TAppForm>(nullptr, VersionFixture::TonaraExecutable());
        LoadActiveLanguage(QStringLiteral("Deutsch.lang.txt"));
        ASSERT_EQ(ActiveLanguageName, QStringLiteral("Deutsch"));
        FForm = new TTranslateForm(nullptr, AProgram);
        QObject::connect(FForm, &TTranslateForm::LanguageFileChosen, FMain.get(), &TAppForm::SetLanguageFile);
        FForm->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(FForm));
    }

    void Choose(const QString &ALanguage)
    {
        auto *combo = Child<QComboBox>(FForm, "ComboBox1");
        combo->setCurrentIndex(combo->findText(ALanguage));
    }

    void PressOK() { QTest::mouseClick(Child<QPushButton>(FForm, "BitBtn1"), Qt::LeftButton); }

    QString StoredLanguage() const
    {
        return SettingsStore().ReadString(QStringLiteral("Settings"), QStringLiteral("Language"), QString());
    }

    QString Script() const { return FFolder.FilePath(QStringLiteral("data/Quillaby/Tonara/start.sh")); }

    TTestFolder FFolder;
    std::unique_ptr<TAppForm> FMain;
    QPointer<TTranslateForm> FForm;
    QList<TMessage> FMessages;
    QStringList FQuestions;
    bool FAnswerYes = false;
};

} // namespace

TEST_F(TranslateFormRestart, ContributeTranslationOpensTheMakersPage)
{
    const TScopedEnv server("TONARA_SERVER", "127.0.0.1:8123");
    TUrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "Open");
    Open();
    QTest::mouseClick(Child<QWidget>(FForm, "Label3"), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    ASSERT_EQ(catcher.Urls.size(), 1);
    EXPECT_EQ(catcher.Urls[0].toString(), QStringLiteral("https://127.0.0.1:8123/blog/multilingual-software/"));
    EXPECT_TRUE(FForm && FForm->isVisible());
}

TEST_F(TranslateFormRestart, OKWithTheInitialEntryClosesWithoutAsking)
{
    Open();
    Choose(QStringLiteral("English"));
    Choose(QStringLiteral("Deutsch"));
    PressOK();
    EXPECT_TRUE(FQuestions.isEmpty());
    EXPECT_EQ(FForm ? FForm->result() : QDialog::Accepted, QDialog::Accepted);
    EXPECT_TRUE(WaitUntil([this] { return FForm.isNull(); }));
    EXPECT_EQ(StoredLanguage(), QString());
}

TEST_F(TranslateFormRestart, EscClosesWithoutChanges)
{
    Open();
    Choose(QStringLiteral("English"));
    QTest::keyClick(FForm, Qt::Key_Escape);
    EXPECT_TRUE(WaitUntil([this] { return FForm.isNull(); }));
    EXPECT_TRUE(FQuestions.isEmpty());
    EXPECT_EQ(StoredLanguage(), QString());
}

TEST_F(TranslateFormRestart, AnotherEntryAnsweredNoKeepsTheDialogOpen)
{
    Open();
    Choose(QStringLiteral("English"));
    PressOK();
    EXPECT_EQ(FQuestions, QStringList{QStringLiteral("Anwendung neu starten?")});
    EXPECT_TRUE(FForm && FForm->isVisible());
    EXPECT_FALSE(QFile::exists(Script()));
    EXPECT_EQ(StoredLanguage(), QString());
}

TEST_F(TranslateFormRestart, AnUnwritableScriptIsReportedAndTheProgramGoesOn)
{
    FAnswerYes = true;
    QDir().mkpath(Script()); // a folder where the script belongs
    Open();
    Choose(QStringLiteral("English"));
    PressOK();
    ASSERT_EQ(FMessages.size(), 1);
    EXPECT_EQ(FMessages[0].Text, QStringLiteral("System Error.  Code: 21.\nIs a directory\n") + Script());
    EXPECT_EQ(FMessages[0].Icon, TUserDialogs::IconError);
    EXPECT_TRUE(FForm && FForm->isVisible());
}

TEST_F(TranslateFormRestart, YesKeepsTheChoiceAndStartsTheProgramAgainThroughTheScript)
{
    // A stand-in for the program, in a folder whose name the shell would expand.
    const QString programFolder = FFolder.FilePath(QStringLiteral("my programs/$HOME"));
    ASSERT_TRUE(QDir().mkpath(programFolder));
    const QString program = programFolder + QStringLiteral("/to nara");
    const QString marker = FFolder.FilePath(QStringLiteral("started"));
    QFile standIn(program);
    ASSERT_TRUE(standIn.open(QIODevice::WriteOnly));
    standIn.write("#!/bin/sh\npwd > '" + marker.toUtf8() + "'\n");
    standIn.close();
    standIn.setPermissions(standIn.permissions() | QFileDevice::ExeOwner);

    FAnswerYes = true;
    Open(program);
    Choose(QStringLiteral("Fran\u00e7ais"));
    // The dialog ends the program's event loop: run one for it.
    QTimer::singleShot(0, FForm, [this] { PressOK(); });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(30000);
    ASSERT_EQ(QCoreApplication::exec(), 0) << "the program was not asked to end";

    EXPECT_EQ(FQuestions.size(), 1);
    EXPECT_EQ(StoredLanguage(), QStringLiteral("Fran\u00e7ais.lang.txt"));
    QFile script(Script());
    ASSERT_TRUE(script.open(QIODevice::ReadOnly));
    EXPECT_EQ(script.readAll(), "#!/bin/sh\nsleep 1\n'" + program.toUtf8() + "'\n");
    ASSERT_TRUE(WaitUntil([&] { return QFile(marker).size() > 0; }, 30000)) << "the stand-in was not started";
    QFile started(marker);
    ASSERT_TRUE(started.open(QIODevice::ReadOnly));
    EXPECT_EQ(started.readAll().trimmed(), FFolder.FilePath(QStringLiteral("data/Quillaby/Tonara")).toUtf8());

    // The next start comes up in the chosen language.
    FMain = std::make_unique<TAppForm>(nullptr, VersionFixture::TonaraExecutable());
    EXPECT_EQ(ActiveLanguageName, QStringLiteral("Fran\u00e7ais"));
}

TEST_F(TranslateFormRestart, TheStartUpLoadsTheKeptChoice)
{
    const struct
    {
        const char *Stored;
        const char *Loaded; // ActiveLanguageName afterwards
    } cases[] = {
        {"Deutsch.lang.txt", "Deutsch"},
        {"English.lang.txt", ""},     // English, whatever the automatic choice
        {"Gone.lang.txt", "Deutsch"}, // gone since: the automatic choice
        {"", "Deutsch"},
    };
    const TScopedEnv german("LC_ALL", "de_DE");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Stored);
        SettingsStore().WriteString(QStringLiteral("Settings"), QStringLiteral("Language"),
                                    QString::fromUtf8(c.Stored));
        LoadActiveLanguage(QString());
        const TAppForm form(nullptr, VersionFixture::TonaraExecutable());
        EXPECT_EQ(ActiveLanguageName, QString::fromUtf8(c.Loaded));
    }
}
