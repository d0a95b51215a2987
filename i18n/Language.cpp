#include "i18n/Language.h"

#include "i18n/LanguageCodes.h"
#include "i18n/TextFileLines.h"
#include "platform/ExecutableFolder.h"
#include "platform/UserUiLanguage.h"

#include <QDir>
#include <QFileInfo>

#include <optional>

QString LanguagesFolder;
QStringList LanguageFiles;
QString ActiveLanguageFile;
QString ActiveLanguageName;
QStringList ActiveLanguageLines;
const QString BuiltInLanguageName = QStringLiteral("English");

namespace {

const QString LanguageFileSuffix = QStringLiteral(".lang.txt");

// The value of the first line that holds AKey. The key must start the line and be
// closed by "}" directly, in exactly the same letters: the text is compared code
// unit by code unit, which is what a linguistic comparison without ignore flags
// amounts to for ordinary text. The value is everything after that brace, as it is.
std::optional<QString> EntryValue(const QStringList &ALines, const QString &AKey)
{
    const QString pattern = u'{' + AKey + u'}';
    for (const QString &line : ALines) {
        if (line.startsWith(pattern, Qt::CaseSensitive))
            return line.sliced(pattern.size());
    }
    return std::nullopt;
}

// Anything that exists and is not a folder counts: a language file may be a link or a special file.
bool IsExistingFile(const QString &APath)
{
    const QFileInfo info(APath);
    return info.exists() && !info.isDir();
}

// The listed language file that the code table assigns to the UI language, or "".
QString AutomaticLanguageFile(const QString &AUiLanguageCode)
{
    const QString table = LanguagesFolder + QStringLiteral("/LanguageCodes.csv");
    if (!QFileInfo::exists(table))
        return {};
    const QString wanted = LanguageFileForCode(ReadLanguageCodes(table), AUiLanguageCode);
    return FindListedFile(LanguageFiles, wanted);
}

QString DefaultLanguagesFolder()
{
    return Platform::ExecutableFolder() + QStringLiteral("Languages");
}

QString UserUiLanguageCode()
{
    return QString::number(Platform::UserDefaultUILanguage());
}

void ForgetActiveLanguage()
{
    ActiveLanguageFile.clear();
    ActiveLanguageName.clear();
    ActiveLanguageLines.clear();
}

} // namespace

QString LanguageDisplayName(const QString &AFileName)
{
    const qsizetype suffix = AFileName.indexOf(LanguageFileSuffix, 0, Qt::CaseSensitive);
    return suffix < 0 ? QString() : AFileName.first(suffix);
}

QString LanguageFileName(const QString &ADisplayName)
{
    return ADisplayName + LanguageFileSuffix;
}

void LoadActiveLanguage(const QString &AFileName)
{
    LoadActiveLanguageFrom(DefaultLanguagesFolder(), UserUiLanguageCode(), AFileName);
}

void LoadChosenLanguage(const QString &AChosenFileName)
{
    LoadChosenLanguageFrom(DefaultLanguagesFolder(), UserUiLanguageCode(), AChosenFileName);
}

void LoadChosenLanguageFrom(const QString &AFolder, const QString &AUiLanguageCode, const QString &AChosenFileName)
{
    // English loads no file, so its choice holds even without one. Only a bare
    // name counts: the choice never reaches outside the languages folder.
    const bool builtIn = AChosenFileName == LanguageFileName(BuiltInLanguageName);
    const bool listed = !AChosenFileName.isEmpty() && !AChosenFileName.contains(u'/')
                        && IsExistingFile(AFolder + u'/' + AChosenFileName);
    LoadActiveLanguageFrom(AFolder, AUiLanguageCode, builtIn || listed ? AChosenFileName : QString());
}

void LoadActiveLanguageFrom(const QString &AFolder, const QString &AUiLanguageCode, const QString &AFileName)
{
    LanguagesFolder = AFolder;
    LanguageFiles = QStringList();
    ForgetActiveLanguage();
    if (!QFileInfo(LanguagesFolder).isDir())
        return;
    ListLanguageFiles(LanguagesFolder);

    // A blank name asks for the automatic choice; any other name is used as given.
    const QString fileName =
        TrimBlanksAndControls(AFileName).isEmpty() ? AutomaticLanguageFile(AUiLanguageCode) : AFileName;
    // With no name the path is the folder itself, which is no file.
    const QString path = LanguagesFolder + u'/' + fileName;
    if (!IsExistingFile(path))
        return;
    ActiveLanguageName = LanguageDisplayName(fileName);
    ActiveLanguageFile = path;
    ActiveLanguageLines = ReadUtf8Lines(path);
}

void ListLanguageFiles(const QString &AFolder)
{
    // Listed by name, not in the file system's own order, so every machine shows
    // the languages alike. Name filters match regardless of letter case.
    const QDir folder(AFolder, QStringLiteral("*lang.txt"), QDir::Name | QDir::IgnoreCase,
                      QDir::Files | QDir::Hidden | QDir::System);
    LanguageFiles.append(folder.entryList());
}

QString Translate(const QString &AKey)
{
    if (ActiveLanguageFile.isEmpty())
        return AKey;
    const std::optional<QString> value = EntryValue(ActiveLanguageLines, AKey);
    return value && !value->isEmpty() ? *value : AKey;
}

QString LookupLanguageValue(const QStringList &ALines, const QString &AKey)
{
    return EntryValue(ALines, AKey).value_or(AKey);
}
