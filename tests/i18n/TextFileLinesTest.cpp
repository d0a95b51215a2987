#include "TestFolder.h"
#include "i18n/ETextFileError.h"
#include "i18n/TextFileLines.h"

#include <gtest/gtest.h>

namespace {

const QChar Replacement = QChar::ReplacementCharacter;

TEST(TextFileLines, SplitsAtCrLfLfAndCr)
{
    struct TCase
    {
        QString Text;
        QStringList Lines;
    };
    const TCase cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\n", {"a"}},
        {"\n", {""}},
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"a\n\nb", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}},   // LF then CR is two line ends
        {"a\r\r\nb", {"a", "", "b"}}, // a lone CR before CR LF
        {"a\r\n\r\n", {"a", ""}},
        {" a \t\r\n", {" a \t"}}, // blanks stay
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Text.toStdString());
        EXPECT_EQ(SplitTextLines(c.Text), c.Lines);
    }
}

TEST(TextFileLines, DecodesUtf8WithoutLosingNeighboursOfBrokenBytes)
{
    struct TCase
    {
        const char *Name;
        QByteArray Bytes;
        QString Text;
    };
    const QString r(Replacement);
    const TCase cases[] = {
        {"byte order mark dropped", "\xEF\xBB\xBF{OK}Gut", "{OK}Gut"},
        {"only a leading mark", "a\xEF\xBB\xBF", QStringLiteral("a\uFEFF")},
        {"valid text",
         "Gr\xC3\xB6\xC3\x9F"
         "e \xE2\x82\xAC \xF0\x9F\x98\x80",
         QStringLiteral("Größe € \U0001F600")},
        {"cut before LF", "ab\xE2\x82\ncd", "ab" + r + r + "\ncd"},
        {"cut before CR LF", "ab\xC3\r\ncd", "ab" + r + "\r\ncd"},
        {"cut at the end", "ab\xF0\x9F\x98", "ab" + r + r + r},
        {"stray continuation byte", "a\x80z", "a" + r + "z"},
        {"bytes never used", "\xFF\xFEz", r + r + "z"},
        {"overlong slash", "\xC0\xAFz", r + r + "z"},
        {"encoded surrogate", "\xED\xA0\x80z", r + r + r + "z"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80z", r + r + r + r + "z"},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        const QString text = DecodeUtf8Text(c.Bytes);
        EXPECT_EQ(text, c.Text);
        EXPECT_TRUE(text.isValidUtf16());
    }
}

TEST(TextFileLines, ReadsUtf8Lines)
{
    TTestFolder folder;
    const QString path = folder.Write("Test.lang.txt", "\xEF\xBB\xBF{OK}Gut\r\n{Send}Sen\xC3"
                                                       "den\r{Info}Infos");
    EXPECT_EQ(ReadUtf8Lines(path), QStringList({"{OK}Gut", QStringLiteral("{Send}Sen\uFFFDden"), "{Info}Infos"}));
}

TEST(TextFileLines, ReadErrorNamesTheFileAndTheReason)
{
    TTestFolder folder;
    for (const QString &path : {folder.FilePath("Missing.lang.txt"), folder.MakeFolder("Folder.lang.txt")}) {
        SCOPED_TRACE(path.toStdString());
        try {
            ReadWholeFile(path);
            ADD_FAILURE() << "no error";
        } catch (const ETextFileError &error) {
            EXPECT_TRUE(error.Message().startsWith("Cannot read the file \"" + path + "\": "));
            EXPECT_GT(error.Message().size(), QString("Cannot read the file \"" + path + "\": ").size());
        }
    }
}

} // namespace
