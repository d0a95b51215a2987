#pragma once

#include <QString>
#include <QtGlobal>

// The language the user's interface is shown in, as a Windows language id
// (LANGID), so language tables keyed by those ids work on every platform.
namespace Platform {

// English (United States): the language of a locale that names none ("C", "POSIX", unset).
inline constexpr quint16 DefaultUiLanguageId = 0x0409;

// The locale name that decides the UI language: the first non-empty one of
// LC_ALL, LC_MESSAGES and LANG (the order the C library itself honours).
QString UiLocaleName();

// Maps a POSIX locale name ("de_DE.UTF-8", "fr_CA", "sr_RS@latin", "C") to a LANGID.
// A name without a region takes its most likely one ("de" -> German (Germany)).
quint16 LanguageIdFromLocaleName(const QString &ALocaleName);

// LanguageIdFromLocaleName(UiLocaleName()).
quint16 UserDefaultUILanguage();

} // namespace Platform
