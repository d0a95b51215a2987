#include "gui/DialogFolder.h"

#include "identity/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString Section = QStringLiteral("Settings");
const QString LastFolderValue = QStringLiteral("LastFolder");

} // namespace

QString TDialogFolder::StartFolder()
{
    const QString last = SettingsStore().ReadString(Section, LastFolderValue, QString());
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    return !music.isEmpty() && QFileInfo(music).isDir() ? music : QDir::homePath();
}

void TDialogFolder::Remember(const QString &AChosenFile)
{
    // Nothing depends on it: a settings file that cannot be written costs only the convenience.
    SettingsStore().WriteString(Section, LastFolderValue, QFileInfo(AChosenFile).absolutePath());
}

QString TDialogFolder::ProposedSaveName(const QString &AInput, const QString &AEffect, const QString &AExtension)
{
    QString effect = AEffect;
    effect.replace(QLatin1Char('/'), QLatin1Char('-'));
    return QDir(StartFolder()).filePath(QFileInfo(AInput).completeBaseName() + QStringLiteral(" - ") + effect
                                        + QLatin1Char('.') + AExtension);
}
