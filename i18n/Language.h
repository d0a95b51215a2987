#pragma once

#include "i18n/ETextFileError.h"

#include <QString>
#include <QStringList>

// The language of the auxiliary windows. Texts are keyed by their English
// wording; a language file beside the executable ("Languages/<name>.lang.txt")
// holds lines of the form "{key}value". Free notes and blank lines are ignored.
//
// The state below is written once, by LoadActiveLanguage at start-up, before any
// other thread exists, and only read afterwards (also by the update check's
// thread), so it takes no lock. It must not change after start-up.

// Folder of the executable + "Languages", without a trailing separator.
extern QString LanguagesFolder;
// Bare names of the language files found there, in name order.
extern QStringList LanguageFiles;
// LanguagesFolder + "/" + file name of the loaded language; empty when none is loaded.
extern QString ActiveLanguageFile;
// The loaded file's name up to ".lang.txt": the name the language dialog shows.
extern QString ActiveLanguageName;
// The lines of the loaded file, in file order.
extern QStringList ActiveLanguageLines;

// Lists the language files and loads the active language. An empty (or blank)
// file name picks the file that "LanguageCodes.csv" gives for the user's UI
// language; any other name is the bare file name to load. Missing folders, files
// or table lines leave English in force and are not reported. A chosen file that
// exists but cannot be read throws ETextFileError after the name and file are set.
void LoadActiveLanguage(const QString &AFileName);

// The language that needs no file: the program's own texts. The language
// dialog lists it among the files' languages.
extern const QString BuiltInLanguageName;

// The start-up's load: AChosenFileName is the file the user chose in the
// language dialog, kept between runs (empty when none). It is loaded as the
// explicit file name when it is the built-in English or a file of the languages
// folder; a chosen file that has gone since gives the automatic choice.
void LoadChosenLanguage(const QString &AChosenFileName);
void LoadChosenLanguageFrom(const QString &AFolder, const QString &AUiLanguageCode, const QString &AChosenFileName);

// The name a language file is listed under: "Deutsch.lang.txt" gives "Deutsch",
// a name without ".lang.txt" (in these letters) the empty text.
QString LanguageDisplayName(const QString &AFileName);
// The file name of a listed language: "Deutsch" gives "Deutsch.lang.txt".
QString LanguageFileName(const QString &ADisplayName);

// LoadActiveLanguage with the languages folder and the UI language code (the
// decimal Windows language id, "1031") given instead of taken from the system.
void LoadActiveLanguageFrom(const QString &AFolder, const QString &AUiLanguageCode, const QString &AFileName);

// Appends to LanguageFiles every file of AFolder whose name ends in "lang.txt",
// in any letter case, hidden ones included.
void ListLanguageFiles(const QString &AFolder);

// The text for AKey in the active language, or AKey itself when no language is
// loaded, the key has no entry, or its entry is empty.
QString Translate(const QString &AKey);

// The value for AKey in ALines, or AKey itself when no line holds the key. Unlike
// Translate, an entry with an empty value gives the empty text.
QString LookupLanguageValue(const QStringList &ALines, const QString &AKey);
