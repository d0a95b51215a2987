#include "TestFolder.h"
#include "i18n/LanguageCodes.h"

#include <QStringEncoder>
#include <gtest/gtest.h>

namespace {

TEST(LanguageCodes, TrimsCharactersUpToBlankOnly)
{
    struct TCase
    {
        QString Text, Trimmed;
    };
    const TCase cases[] = {
        {"", ""},
        {" \t\r\n", ""},
        {" 1031 ", "1031"},
        {QStringLiteral("\u0001\u001F x y \u0020\u0007"), "x y"},
        // No-break space and other Unicode blanks are not trimmed.
        {QStringLiteral("\u00A0x\u3000"), QStringLiteral("\u00A0x\u3000")},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Text.toStdString());
        EXPECT_EQ(TrimBlanksAndControls(c.Text), c.Trimmed);
    }
}

TEST(LanguageCodes, FirstLineWithTheExactCodeGivesTheFileName)
{
    struct TCase
    {
        const char *Name;
        QStringList Lines;
        QString Code, FileName;
    };
    const TCase cases[] = {
        {"plain line", {"1031,Deutsch.lang.txt"}, "1031", "Deutsch.lang.txt"},
        {"blanks and tabs around both parts", {" \t1031 ,  Deutsch.lang.txt \t"}, "1031", "Deutsch.lang.txt"},
        {"blanks inside the name stay", {"1031, Deutsch (Schweiz).lang.txt"}, "1031", "Deutsch (Schweiz).lang.txt"},
        {"later commas belong to the name", {"1031,Deutsch, neu.lang.txt"}, "1031", "Deutsch, neu.lang.txt"},
        {"first line wins", {"1031,Erst.lang.txt", "1031,Zweit.lang.txt"}, "1031", "Erst.lang.txt"},
        {"other codes skipped", {"1036,Français.lang.txt", "1031,Deutsch.lang.txt"}, "1031", "Deutsch.lang.txt"},
        {"lines without a comma skipped",
         {"1031", "1031 Deutsch.lang.txt", "1031,Deutsch.lang.txt"},
         "1031",
         "Deutsch.lang.txt"},
        {"leading zero never matches", {"01031,Deutsch.lang.txt"}, "1031", ""},
        {"no prefix match", {"10310,Deutsch.lang.txt", "103,Deutsch.lang.txt"}, "1031", ""},
        {"hex is not decimal", {"0x0407,Deutsch.lang.txt"}, "1031", ""},
        {"empty file name", {"1031,", "1031,Deutsch.lang.txt"}, "1031", ""},
        {"no lines", {}, "1031", ""},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(LanguageFileForCode(c.Lines, c.Code), c.FileName);
    }
}

TEST(LanguageCodes, FindsListedFileFoldingAsciiLettersOnly)
{
    const QStringList listed = {"Deutsch.lang.txt", QStringLiteral("Français.lang.txt"), "b.lang.txt", "B.lang.txt"};
    struct TCase
    {
        QString Wanted, Found;
    };
    const TCase cases[] = {
        {"Deutsch.lang.txt", "Deutsch.lang.txt"},
        {"DEUTSCH.LANG.TXT", "Deutsch.lang.txt"},
        {QStringLiteral("FRANçAIS.LANG.TXT"), QStringLiteral("Français.lang.txt")},
        // Ç is not an ASCII letter, so it keeps its case.
        {QStringLiteral("FRANÇAIS.LANG.TXT"), ""},
        {"B.LANG.TXT", "b.lang.txt"}, // the first listed of two case variants
        {"Deutsch", ""},
        {"", ""},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Wanted.toStdString());
        EXPECT_EQ(FindListedFile(listed, c.Wanted), c.Found);
    }
}

TEST(LanguageCodes, ReadsTheTableInItsMarkedEncoding)
{
    TTestFolder folder;
    QStringEncoder utf16(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    const QString path = folder.Write(
        "LanguageCodes.csv", utf16.encode(QStringLiteral("1031,Deutsch.lang.txt\r\n1036,Français.lang.txt\r\n")));
    EXPECT_EQ(ReadLanguageCodes(path),
              QStringList({"1031,Deutsch.lang.txt", QStringLiteral("1036,Français.lang.txt")}));
}

TEST(LanguageCodes, UnreadableTableGivesNoLines)
{
    TTestFolder folder;
    EXPECT_TRUE(ReadLanguageCodes(folder.FilePath("LanguageCodes.csv")).isEmpty());
    EXPECT_TRUE(ReadLanguageCodes(folder.MakeFolder("LanguageCodes.csv")).isEmpty());
}

} // namespace
