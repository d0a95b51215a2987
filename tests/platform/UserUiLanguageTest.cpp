#include "platform/UserUiLanguage.h"

#include <QByteArray>
#include <gtest/gtest.h>

#include <optional>

namespace {

struct TLocaleCase
{
    const char *LocaleName;
    quint16 LanguageId;

    friend void PrintTo(const TLocaleCase &ACase, std::ostream *AOut) { *AOut << '"' << ACase.LocaleName << '"'; }
};

class LocaleToLanguageId : public ::testing::TestWithParam<TLocaleCase>
{};

TEST_P(LocaleToLanguageId, MapsToTheWindowsId)
{
    const TLocaleCase &c = GetParam();
    EXPECT_EQ(Platform::LanguageIdFromLocaleName(QString::fromLatin1(c.LocaleName)), c.LanguageId) << c.LocaleName;
}

INSTANTIATE_TEST_SUITE_P(
    UserUiLanguage, LocaleToLanguageId,
    ::testing::Values(
        // The character set and modifiers of a POSIX name do not change the language.
        TLocaleCase{"de_DE.UTF-8", 1031}, TLocaleCase{"de_DE", 1031}, TLocaleCase{"de_DE@euro", 1031},
        TLocaleCase{"de_DE.ISO-8859-15@euro", 1031}, TLocaleCase{"de_CH.utf8", 2055}, TLocaleCase{"de_AT.UTF-8", 3079},
        TLocaleCase{"fr_FR.UTF-8", 1036}, TLocaleCase{"fr_CA", 3084}, TLocaleCase{"fr_BE@euro", 2060},
        TLocaleCase{"es_ES.UTF-8", 3082}, TLocaleCase{"es_MX.UTF-8", 2058}, TLocaleCase{"en_US", 1033},
        TLocaleCase{"en_US.UTF-8", 1033}, TLocaleCase{"en_GB.UTF-8", 2057}, TLocaleCase{"ca_ES.UTF-8@valencia", 2051},
        TLocaleCase{"zh_CN.GB18030", 2052}, TLocaleCase{"ja_JP.eucJP", 1041}, TLocaleCase{"pt_BR", 1046},
        // A language without a region is taken in its most likely region.
        TLocaleCase{"de", 1031}, TLocaleCase{"fr.UTF-8", 1036}, TLocaleCase{"es", 3082},
        // Locales that name no language fall back to English (United States).
        TLocaleCase{"C", 1033}, TLocaleCase{"POSIX", 1033}, TLocaleCase{"C.UTF-8", 1033}, TLocaleCase{"", 1033},
        TLocaleCase{"xx_YY.UTF-8", 1033}, TLocaleCase{"no such locale!", 1033}));

// Sets LC_ALL, LC_MESSAGES and LANG for one test and restores them afterwards.
class UiLocaleEnvironment : public ::testing::Test
{
protected:
    static constexpr const char *Variables[] = {"LC_ALL", "LC_MESSAGES", "LANG"};

    void SetUp() override
    {
        for (const char *name : Variables)
            FSaved.push_back(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
    }

    void TearDown() override
    {
        for (size_t i = 0; i < FSaved.size(); ++i)
            Set(Variables[i], FSaved[i]);
    }

    static void Set(const char *AName, const std::optional<QByteArray> &AValue)
    {
        if (AValue)
            qputenv(AName, *AValue);
        else
            qunsetenv(AName);
    }

private:
    std::vector<std::optional<QByteArray>> FSaved;
};

TEST_F(UiLocaleEnvironment, FirstNonEmptyOfLcAllLcMessagesLang)
{
    struct TCase
    {
        std::optional<QByteArray> LcAll, LcMessages, Lang;
        const char *Name;
        quint16 LanguageId;
    };
    const TCase cases[] = {
        {"fr_CA.UTF-8", "es_ES.UTF-8", "de_DE.UTF-8", "fr_CA.UTF-8", 3084},
        {std::nullopt, "es_ES.UTF-8", "de_DE.UTF-8", "es_ES.UTF-8", 3082},
        {std::nullopt, std::nullopt, "de_DE.UTF-8", "de_DE.UTF-8", 1031},
        {"fr_FR.UTF-8", std::nullopt, "de_DE.UTF-8", "fr_FR.UTF-8", 1036},
        // An empty variable counts as unset.
        {"", "", "de_AT.UTF-8", "de_AT.UTF-8", 3079},
        {std::nullopt, std::nullopt, std::nullopt, "", 1033},
        {"C", std::nullopt, "de_DE.UTF-8", "C", 1033},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        Set("LC_ALL", c.LcAll);
        Set("LC_MESSAGES", c.LcMessages);
        Set("LANG", c.Lang);
        EXPECT_EQ(Platform::UiLocaleName(), QString::fromLatin1(c.Name));
        EXPECT_EQ(Platform::UserDefaultUILanguage(), c.LanguageId);
    }
}

} // namespace
