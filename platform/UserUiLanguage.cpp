#include "platform/UserUiLanguage.h"

#include <QByteArray>

#include <unicode/uloc.h>

namespace Platform {

namespace {

// The sub-language bits of a LANGID are zero for a language without a region.
bool IsNeutral(quint32 ALcid)
{
    return (ALcid & 0xFC00u) == 0;
}

// ICU's locale id of the given ICU locale name, or 0 when it has none.
quint32 LcidOf(const QByteArray &AIcuName)
{
    return uloc_getLCID(AIcuName.constData());
}

using TLocaleNameFunction = int32_t (*)(const char *, char *, int32_t, UErrorCode *);

// The name one of ICU's name-to-name functions makes of AIcuName; empty on failure.
QByteArray Transformed(TLocaleNameFunction AFunction, const QByteArray &AIcuName)
{
    char buffer[ULOC_FULLNAME_CAPACITY];
    UErrorCode error = U_ZERO_ERROR;
    const int32_t length = AFunction(AIcuName.constData(), buffer, sizeof buffer, &error);
    if (U_FAILURE(error) || error == U_STRING_NOT_TERMINATED_WARNING)
        return {};
    return QByteArray(buffer, length);
}

// "de_DE.UTF-8@euro" -> "de_DE_EURO": ICU's table knows only canonical names.
QByteArray Canonical(const QByteArray &ALocaleName)
{
    return Transformed(uloc_canonicalize, ALocaleName);
}

// Fills in script and region a language is most likely written in ("de" -> "de_Latn_DE").
QByteArray Maximized(const QByteArray &AIcuName)
{
    return Transformed(uloc_addLikelySubtags, AIcuName);
}

// "de_Latn_DE" -> "de_DE": ICU's table lists most regional ids without a script.
QByteArray LanguageAndRegion(const QByteArray &AIcuName)
{
    char language[ULOC_LANG_CAPACITY];
    char country[ULOC_COUNTRY_CAPACITY];
    UErrorCode error = U_ZERO_ERROR;
    uloc_getLanguage(AIcuName.constData(), language, sizeof language, &error);
    uloc_getCountry(AIcuName.constData(), country, sizeof country, &error);
    if (U_FAILURE(error) || error == U_STRING_NOT_TERMINATED_WARNING)
        return {};
    return QByteArray(language) + '_' + QByteArray(country);
}

// Language ids name a language with its region ("de" alone has no regional id);
// find the region ICU expects.
quint32 RegionalLcid(const QByteArray &AIcuName, quint32 ANeutralLcid)
{
    const QByteArray maximized = Maximized(AIcuName);
    if (maximized.isEmpty())
        return ANeutralLcid;
    for (const QByteArray &candidate : {maximized, LanguageAndRegion(maximized)}) {
        const quint32 lcid = LcidOf(candidate);
        if (lcid != 0 && !IsNeutral(lcid))
            return lcid;
    }
    return ANeutralLcid;
}

} // namespace

QString UiLocaleName()
{
    for (const char *variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty())
            return value;
    }
    return {};
}

quint16 LanguageIdFromLocaleName(const QString &ALocaleName)
{
    const QByteArray name = Canonical(ALocaleName.toLocal8Bit());
    if (name.isEmpty())
        return DefaultUiLanguageId;
    quint32 lcid = LcidOf(name);
    if (lcid != 0 && IsNeutral(lcid))
        lcid = RegionalLcid(name, lcid);
    if (lcid == 0)
        return DefaultUiLanguageId;
    // The low 16 bits are the LANGID; the bits above select a sort order.
    return static_cast<quint16>(lcid & 0xFFFFu);
}

quint16 UserDefaultUILanguage()
{
    return LanguageIdFromLocaleName(UiLocaleName());
}

} // namespace Platform
