#include "CaseName.h"
#include "TestFolder.h"
#include "i18n/ETextFileError.h"
#include "i18n/Language.h"
#include "platform/ExecutableFolder.h"

#include <QFile>
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A languages folder of one test; loading from it replaces the whole language state.
class LanguageFolder : public ::testing::Test
{
protected:
    QString File(const QString &AName) const { return FFolder.FilePath(AName); }

    void Write(const QString &AName, const QByteArray &AContent) const { FFolder.Write(AName, AContent); }

    void Load(const QString &ACode, const QString &AFileName = QString()) const
    {
        LoadActiveLanguageFrom(FFolder.Path(), ACode, AFileName);
    }

    void ExpectNoLanguage() const
    {
        EXPECT_EQ(ActiveLanguageFile, QString());
        EXPECT_EQ(ActiveLanguageName, QString());
        EXPECT_TRUE(ActiveLanguageLines.isEmpty());
        EXPECT_EQ(Translate("OK"), "OK");
    }

    TTestFolder FFolder;
};

// ---- Lookup rules: Translate on a loaded file, LookupLanguageValue on its lines ----

struct TLookupCase
{
    const char *Name;
    QStringList Lines;
    QString Key;
    QString Translated; // Translate(Key)
    QString LookedUp;   // LookupLanguageValue(Lines, Key)

    friend void PrintTo(const TLookupCase &ACase, std::ostream *AOut) { *AOut << ACase.Name; }
};

class LookupRules : public LanguageFolder, public ::testing::WithParamInterface<TLookupCase>
{};

TEST_P(LookupRules, TranslateAndLookupLanguageValue)
{
    const TLookupCase &c = GetParam();
    Write("Test.lang.txt", c.Lines.join(u'\n').toUtf8());
    Load("1031", "Test.lang.txt");
    ASSERT_EQ(ActiveLanguageLines, c.Lines);
    EXPECT_EQ(Translate(c.Key), c.Translated);
    EXPECT_EQ(LookupLanguageValue(c.Lines, c.Key), c.LookedUp);
}

INSTANTIATE_TEST_SUITE_P(
    Language, LookupRules,
    ::testing::Values(
        TLookupCase{"translated", {"{OK}Gut"}, "OK", "Gut", "Gut"},
        TLookupCase{"key in other case", {"{ok}Gut"}, "OK", "OK", "OK"},
        TLookupCase{"blank before the brace", {" {OK}Gut"}, "OK", "OK", "OK"},
        TLookupCase{"empty value", {"{OK}"}, "OK", "OK", ""},
        TLookupCase{"blanks of the value kept", {"{OK}  Gut \t"}, "OK", "  Gut \t", "  Gut \t"},
        TLookupCase{"first of two wins", {"{OK}Erst", "{OK}Zweit"}, "OK", "Erst", "Erst"},
        TLookupCase{"first wins even when empty", {"{OK}", "{OK}Zweit"}, "OK", "OK", ""},
        TLookupCase{"closing brace is part of the key", {"{Send}Senden"}, "Sen", "Sen", "Sen"},
        TLookupCase{"no prefix of a longer key", {"{Credits...}Mitwirkende"}, "Credits", "Credits", "Credits"},
        TLookupCase{"dots are part of the key",
                    {"{Credits}Dank", "{Credits...}Mitwirkende..."},
                    "Credits...",
                    "Mitwirkende...",
                    "Mitwirkende..."},
        TLookupCase{"braces in the value kept", {"{OK}a}b{c}"}, "OK", "a}b{c}", "a}b{c}"},
        TLookupCase{"brace inside the key", {"{a}b}Wert"}, "a}b", "Wert", "Wert"},
        TLookupCase{"key not closed", {"{OK", "{OK Gut"}, "OK", "OK", "OK"},
        TLookupCase{"notes and blank lines skipped", {"Notes {OK}Nein", "", "[OK]", "{OK}Gut"}, "OK", "Gut", "Gut"},
        TLookupCase{"non-ASCII key", {QStringLiteral("{Größe}Size")}, QStringLiteral("Größe"), "Size", "Size"},
        TLookupCase{"no case folding of non-ASCII",
                    {QStringLiteral("{größe}Size")},
                    QStringLiteral("GRÖSSE"),
                    QStringLiteral("GRÖSSE"),
                    QStringLiteral("GRÖSSE")},
        TLookupCase{
            "translators entry", {"{INFO:Translated By}Ana, Ben"}, "INFO:Translated By", "Ana, Ben", "Ana, Ben"},
        TLookupCase{"no line for the key", {"{Cancel}Abbrechen"}, "OK", "OK", "OK"}),
    CaseName<TLookupCase>);

TEST(Language, NothingLoadedOrNoLinesGivesTheKey)
{
    LoadActiveLanguageFrom(QString(), "1031", QString());
    EXPECT_EQ(Translate("Cancel"), "Cancel");
    EXPECT_EQ(Translate(""), "");
    EXPECT_EQ(LookupLanguageValue({}, "Cancel"), "Cancel");
}

TEST_F(LanguageFolder, ByteOrderMarkAndEveryLineEndAreRead)
{
    Write("Test.lang.txt", "\xEF\xBB\xBF{OK}Gut\r\n{Send}Senden\r{Cancel}Abbrechen\n{Info}Infos");
    Load("1031", "Test.lang.txt");
    EXPECT_EQ(ActiveLanguageLines.size(), 4);
    for (const auto &[key, value] :
         {std::pair{"OK", "Gut"}, {"Send", "Senden"}, {"Cancel", "Abbrechen"}, {"Info", "Infos"}})
        EXPECT_EQ(Translate(key), value) << key;
}

// Broken bytes become U+FFFD where they stand; every other line still answers.
TEST_F(LanguageFolder, InvalidUtf8SpoilsOnlyItsOwnCharacters)
{
    Write("Test.lang.txt", "{OK}Gut\n"
                           "{Send}Sen\xC3"
                           "den\n"
                           "{Cancel}Abbr\xE2\x82\r\n"
                           "\xFF{About}\xC3\x9C"
                           "ber\n"
                           "{Info}Infos\xF0\x9F\r"
                           "{License}Lizenz\n"
                           "{Failure}\xC0\xAF");
    Load("1031", "Test.lang.txt");
    ASSERT_EQ(ActiveLanguageLines.size(), 7);
    EXPECT_EQ(Translate("OK"), "Gut");
    EXPECT_EQ(Translate("Send"), QStringLiteral("Sen\uFFFDden"));
    EXPECT_EQ(Translate("Cancel"), QStringLiteral("Abbr\uFFFD\uFFFD"));
    EXPECT_EQ(Translate("About"), "About"); // garbage before the brace
    EXPECT_EQ(Translate("Info"), QStringLiteral("Infos\uFFFD\uFFFD"));
    EXPECT_EQ(Translate("License"), "Lizenz");
    EXPECT_EQ(Translate("Failure"), QStringLiteral("\uFFFD\uFFFD"));
}

// ---- Choosing the file: explicit names and the code table ----

struct TChoiceCase
{
    const char *Name;
    QStringList Files;               // language files in the folder, each with "{OK}" + its name
    std::optional<QByteArray> Table; // LanguageCodes.csv, if there is one
    QString Code;                    // the UI language
    QString FileName;                // argument of the load
    QString LoadedFile;              // bare name of the file loaded, empty for none
    QString LanguageName;

    friend void PrintTo(const TChoiceCase &ACase, std::ostream *AOut) { *AOut << ACase.Name; }
};

class LanguageChoice : public LanguageFolder, public ::testing::WithParamInterface<TChoiceCase>
{};

TEST_P(LanguageChoice, LoadsTheChosenFile)
{
    const TChoiceCase &c = GetParam();
    for (const QString &file : c.Files)
        Write(file, ("{OK}" + file).toUtf8());
    if (c.Table)
        Write("LanguageCodes.csv", *c.Table);
    Load(c.Code, c.FileName);

    EXPECT_EQ(LanguagesFolder, FFolder.Path());
    if (c.LoadedFile.isEmpty()) {
        ExpectNoLanguage();
        return;
    }
    EXPECT_EQ(ActiveLanguageFile, FFolder.Path() + '/' + c.LoadedFile);
    EXPECT_EQ(ActiveLanguageName, c.LanguageName);
    EXPECT_EQ(Translate("OK"), c.LoadedFile);
}

const QString Francais = QStringLiteral("Français.lang.txt");

INSTANTIATE_TEST_SUITE_P(
    Language, LanguageChoice,
    ::testing::Values(
        TChoiceCase{"code in the table",
                    {"Deutsch.lang.txt", "Español.lang.txt"},
                    "1031,Deutsch.lang.txt\n3082,Español.lang.txt",
                    "3082",
                    "",
                    "Español.lang.txt",
                    "Español"},
        TChoiceCase{"blank file name is automatic",
                    {"Deutsch.lang.txt"},
                    "1031,Deutsch.lang.txt",
                    "1031",
                    " \t",
                    "Deutsch.lang.txt",
                    "Deutsch"},
        TChoiceCase{"blanks around code and name",
                    {"Deutsch.lang.txt"},
                    " 1031\t,  Deutsch.lang.txt \r\n",
                    "1031",
                    "",
                    "Deutsch.lang.txt",
                    "Deutsch"},
        TChoiceCase{"other ASCII case selects the listed name",
                    {"Deutsch.lang.txt"},
                    "1031,DEUTSCH.Lang.TXT",
                    "1031",
                    "",
                    "Deutsch.lang.txt",
                    "Deutsch"},
        TChoiceCase{"non-ASCII letters keep their case",
                    {Francais},
                    QStringLiteral("1036,FRANÇAIS.LANG.TXT").toUtf8(),
                    "1036",
                    "",
                    "",
                    ""},
        TChoiceCase{"ASCII folded around non-ASCII",
                    {Francais},
                    QStringLiteral("\uFEFF1036,FRANçAIS.LANG.TXT").toUtf8(),
                    "1036",
                    "",
                    Francais,
                    QStringLiteral("Français")},
        TChoiceCase{"first line for a code wins",
                    {"Deutsch.lang.txt", "Schweiz.lang.txt"},
                    "2055,Schweiz.lang.txt\n2055,Deutsch.lang.txt",
                    "2055",
                    "",
                    "Schweiz.lang.txt",
                    "Schweiz"},
        TChoiceCase{"first line wins even if its file is missing",
                    {"Deutsch.lang.txt"},
                    "1031,Fehlt.lang.txt\n1031,Deutsch.lang.txt",
                    "1031",
                    "",
                    "",
                    ""},
        TChoiceCase{"leading zero never matches", {"Deutsch.lang.txt"}, "01031,Deutsch.lang.txt", "1031", "", "", ""},
        TChoiceCase{"no line for the UI language", {"Deutsch.lang.txt"}, "1031,Deutsch.lang.txt", "1033", "", "", ""},
        TChoiceCase{"no table", {"Deutsch.lang.txt"}, std::nullopt, "1031", "", "", ""},
        TChoiceCase{"table names a file that is not listed", {"Deutsch.txt"}, "1031,Deutsch.txt", "1031", "", "", ""},
        TChoiceCase{"later commas belong to the name",
                    {"Deutsch, Schweiz.lang.txt"},
                    "2055,Deutsch, Schweiz.lang.txt",
                    "2055",
                    "",
                    "Deutsch, Schweiz.lang.txt",
                    "Deutsch, Schweiz"},
        TChoiceCase{"explicit name skips the table",
                    {"Deutsch.lang.txt", "Español.lang.txt"},
                    "1031,Deutsch.lang.txt",
                    "1031",
                    "Español.lang.txt",
                    "Español.lang.txt",
                    "Español"},
        TChoiceCase{"explicit name of a missing file",
                    {"Deutsch.lang.txt"},
                    "1031,Deutsch.lang.txt",
                    "1031",
                    "Fehlt.lang.txt",
                    "",
                    ""},
        TChoiceCase{"explicit name used as given",
                    {" Deutsch.lang.txt"},
                    std::nullopt,
                    "1031",
                    " Deutsch.lang.txt",
                    " Deutsch.lang.txt",
                    " Deutsch"},
        TChoiceCase{"name without .lang.txt has no display name",
                    {"Deutschlang.txt"},
                    "1031,Deutschlang.txt",
                    "1031",
                    "",
                    "Deutschlang.txt",
                    ""},
        TChoiceCase{"suffix in other case has no display name",
                    {"Deutsch.LANG.TXT"},
                    "1031,Deutsch.LANG.TXT",
                    "1031",
                    "",
                    "Deutsch.LANG.TXT",
                    ""},
        TChoiceCase{"name up to the first .lang.txt",
                    {"A.lang.txt.lang.txt"},
                    "1031,A.lang.txt.lang.txt",
                    "1031",
                    "",
                    "A.lang.txt.lang.txt",
                    "A"}),
    CaseName<TChoiceCase>);

TEST_F(LanguageFolder, UnreadableTableMeansNoLanguage)
{
    Write("Deutsch.lang.txt", "{OK}Gut");
    FFolder.MakeFolder("LanguageCodes.csv");
    Load("1031");
    ExpectNoLanguage();
    EXPECT_EQ(LanguageFiles, QStringList{"Deutsch.lang.txt"});
}

TEST_F(LanguageFolder, FolderNamedLikeALanguageFileIsNoLanguage)
{
    FFolder.MakeFolder("Deutsch.lang.txt");
    Load("1031", "Deutsch.lang.txt");
    ExpectNoLanguage();
}

// ---- Listing ----

TEST_F(LanguageFolder, ListsEveryFileEndingInLangTxtByName)
{
    for (const char *name : {"b.lang.txt", "A.LANG.TXT", "Clang.txt", ".hidden.lang.txt", "notes.txt", "lang.txt.bak",
                             "LanguageCodes.csv"})
        Write(name, "{OK}x");
    FFolder.MakeFolder("Folder.lang.txt");
    Load("1031");
    EXPECT_EQ(LanguageFiles, QStringList({".hidden.lang.txt", "A.LANG.TXT", "b.lang.txt", "Clang.txt"}));

    // Listing appends to what is there.
    LanguageFiles = QStringList{"kept"};
    ListLanguageFiles(FFolder.Path());
    EXPECT_EQ(LanguageFiles, QStringList({"kept", ".hidden.lang.txt", "A.LANG.TXT", "b.lang.txt", "Clang.txt"}));
}

TEST_F(LanguageFolder, MissingFolderLeavesEnglishAndNoFiles)
{
    Write("Deutsch.lang.txt", "{OK}Gut");
    Write("LanguageCodes.csv", "1031,Deutsch.lang.txt");
    Load("1031");
    ASSERT_EQ(Translate("OK"), "Gut");

    const QString missing = FFolder.FilePath("Languages");
    LoadActiveLanguageFrom(missing, "1031", "Deutsch.lang.txt");
    EXPECT_EQ(LanguagesFolder, missing);
    EXPECT_TRUE(LanguageFiles.isEmpty());
    ExpectNoLanguage();
}

TEST(Language, PublicLoadLooksBesideTheExecutable)
{
    // No "Languages" folder is next to the test program.
    LoadActiveLanguage(QString());
    EXPECT_EQ(LanguagesFolder, Platform::ExecutableFolder() + "Languages");
    EXPECT_TRUE(LanguageFiles.isEmpty());
    EXPECT_EQ(ActiveLanguageFile, QString());
}

// ---- A chosen file that exists but cannot be read ----

struct TUnreadableCase
{
    const char *Name;
    // Makes the file APath exist in a way that reading it fails; false when this
    // way does not work here.
    bool (*Make)(const QString &APath);

    friend void PrintTo(const TUnreadableCase &ACase, std::ostream *AOut) { *AOut << ACase.Name; }
};

class UnreadableLanguageFile : public LanguageFolder, public ::testing::WithParamInterface<TUnreadableCase>
{};

TEST_P(UnreadableLanguageFile, SetsTheNameKeepsEnglishAndThrows)
{
    Write("LanguageCodes.csv", "1031,Broken.lang.txt");
    const QString path = File("Broken.lang.txt");
    if (!GetParam().Make(path))
        GTEST_SKIP() << GetParam().Name << " cannot make an unreadable file here";

    try {
        Load("1031");
        FAIL() << "no error";
    } catch (const ETextFileError &error) {
        EXPECT_TRUE(error.Message().startsWith("Cannot read the file \"" + path + "\": ")) << error.what();
    }
    EXPECT_EQ(LanguageFiles, QStringList{"Broken.lang.txt"});
    EXPECT_EQ(ActiveLanguageName, "Broken");
    EXPECT_EQ(ActiveLanguageFile, path);
    EXPECT_TRUE(ActiveLanguageLines.isEmpty());
    EXPECT_EQ(Translate("OK"), "OK");
}

bool MakeWithoutPermissions(const QString &APath)
{
    // Root reads any file whatever its permissions.
    if (geteuid() == 0)
        return false;
    QFile file(APath);
    return file.open(QIODevice::WriteOnly) && file.write("{OK}Gut") == 7
           && file.setPermissions(QFileDevice::Permissions());
}

// Opening a socket file fails with ENXIO, for root too. The file stays after close.
bool MakeSocket(const QString &APath)
{
    const QByteArray name = QFile::encodeName(APath);
    sockaddr_un address{};
    if (name.size() >= qsizetype(sizeof address.sun_path))
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.constData(), name.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    if (fd >= 0)
        ::close(fd);
    return bound;
}

// Reading the start of one's own memory fails with EIO, for root too.
bool MakeLinkToUnmappedMemory(const QString &APath)
{
    return QFile::link(QStringLiteral("/proc/self/mem"), APath);
}

INSTANTIATE_TEST_SUITE_P(Language, UnreadableLanguageFile,
                         ::testing::Values(TUnreadableCase{"NoPermissions", MakeWithoutPermissions},
                                           TUnreadableCase{"Socket", MakeSocket},
                                           TUnreadableCase{"ProcessMemory", MakeLinkToUnmappedMemory}),
                         CaseName<TUnreadableCase>);

} // namespace
