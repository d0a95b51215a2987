#include "i18n/Language.h"
#include "i18n/LanguageCodes.h"
#include "i18n/TextFileLines.h"

#include <QDir>
#include <gtest/gtest.h>

#include <set>

namespace {

const QString ShippedFolder = QStringLiteral(TONARA_LANGUAGES_DIR);
const QString TranslatorsKey = QStringLiteral("INFO:Translated By");

// Every text the auxiliary windows pass through Translate.
const QStringList TranslatedKeys = {
    // Language dialog
    "Language", "User Interface Language:", "Translated by:", "OK", "Cancel", "Contribute Translation",
    "Restart Application?",
    // About box
    "About", "Info", "Credits...", "How to uninstall...", "License...", "License", "File not found!",
    // Feedback form
    "feedback", "We would really appreciate your feedback.", "What did you like or dislike?",
    "Include my e-mail:", "Send", "I like it!", "I dislike it!", "Failure", "Invalid e-mail address!", "Success",
    "Your feedback is received.", "Thank you!", "Something went wrong. Your feedback could not be delivered.",
    "Please try again later.",
    // Update popup and notice
    "UPDATE AVAILABLE", "Click to download", "IMPORTANT"};

QStringList ShippedLanguageFiles()
{
    LanguageFiles.clear();
    ListLanguageFiles(ShippedFolder);
    return LanguageFiles;
}

TEST(ShippedLanguages, GermanFrenchAndSpanishAreBesideTheExecutable)
{
    const QStringList files = ShippedLanguageFiles();
    for (const QString &name :
         {QStringLiteral("Deutsch.lang.txt"), QStringLiteral("Español.lang.txt"), QStringLiteral("Français.lang.txt")})
        EXPECT_TRUE(files.contains(name)) << name.toStdString() << " in " << ShippedFolder.toStdString();
}

// Each file: valid UTF-8, exactly one non-empty entry for every key and the
// translators, no entry for a key nobody asks for, no stray blanks at the ends.
TEST(ShippedLanguages, EveryFileTranslatesEveryKeyOnce)
{
    const QStringList files = ShippedLanguageFiles();
    ASSERT_FALSE(files.isEmpty());
    for (const QString &file : files) {
        SCOPED_TRACE(file.toStdString());
        const QStringList lines = ReadUtf8Lines(ShippedFolder + '/' + file);
        std::set<QString> seen;
        for (const QString &line : lines) {
            EXPECT_FALSE(line.contains(QChar::ReplacementCharacter)) << line.toStdString();
            if (!line.startsWith(u'{'))
                continue;
            const qsizetype close = line.indexOf(u'}');
            ASSERT_GT(close, 0) << line.toStdString();
            const QString key = line.sliced(1, close - 1);
            const QString value = line.sliced(close + 1);
            EXPECT_TRUE(TranslatedKeys.contains(key) || key == TranslatorsKey) << "unknown key " << key.toStdString();
            EXPECT_TRUE(seen.insert(key).second) << "twice: " << key.toStdString();
            EXPECT_FALSE(value.isEmpty()) << key.toStdString();
            EXPECT_EQ(value, value.trimmed()) << key.toStdString();
        }
        for (const QString &key : TranslatedKeys + QStringList{TranslatorsKey})
            EXPECT_TRUE(seen.count(key)) << "missing: " << key.toStdString();
    }
}

TEST(ShippedLanguages, CodeTableNamesShippedFilesOncePerCode)
{
    const QStringList files = ShippedLanguageFiles();
    const QStringList lines = ReadLanguageCodes(ShippedFolder + "/LanguageCodes.csv");
    ASSERT_FALSE(lines.isEmpty());
    std::set<QString> codes;
    for (const QString &line : lines) {
        SCOPED_TRACE(line.toStdString());
        const qsizetype comma = line.indexOf(u',');
        ASSERT_GT(comma, 0);
        const QString code = TrimBlanksAndControls(QStringView(line).first(comma));
        bool isNumber = false;
        EXPECT_EQ(QString::number(code.toUShort(&isNumber)), code);
        EXPECT_TRUE(isNumber);
        EXPECT_TRUE(codes.insert(code).second) << "code listed twice";
        EXPECT_TRUE(files.contains(TrimBlanksAndControls(QStringView(line).sliced(comma + 1))));
    }
}

TEST(ShippedLanguages, EachRegionalVariantGetsItsLanguage)
{
    struct TCase
    {
        const char *Language;
        std::vector<int> Codes;
        const char *Cancel;
    };
    const TCase cases[] = {
        {"Deutsch", {1031, 2055, 3079, 4103, 5127}, "Abbrechen"},
        {"Français",
         {1036, 2060, 3084, 4108, 5132, 6156, 7180, 8204, 9228, 10252, 11276, 12300, 13324, 14348, 15372},
         "Annuler"},
        {"Español",
         {3082,  1034,  2058,  4106,  5130,  6154,  7178,  8202,  9226,  10250, 11274, 12298,
          13322, 14346, 15370, 16394, 17418, 18442, 19466, 20490, 21514, 22538, 23562},
         "Cancelar"},
        {"", {1033, 2057, 1040, 2070}, "Cancel"}, // English, Italian, Portuguese: no file, English texts
    };
    for (const TCase &c : cases) {
        for (const int code : c.Codes) {
            SCOPED_TRACE(std::to_string(code));
            LoadActiveLanguageFrom(ShippedFolder, QString::number(code), QString());
            EXPECT_EQ(ActiveLanguageName, QString::fromUtf8(c.Language));
            EXPECT_EQ(Translate("Cancel"), QString::fromUtf8(c.Cancel));
        }
    }
}

} // namespace
