#include "audio/RecordingPlace.h"

#include "audio/WavRepair.h"
#include "identity/AppIdentity.h"
#include "platform/Folder.h"
#include "platform/OSError.h"

#include <QDir>
#include <QFileInfo>

QString TRecordingPlace::Folder()
{
    return AppDataFolder + QStringLiteral("Recordings");
}

QString TRecordingPlace::FileName(const QDateTime &AStart)
{
    return QStringLiteral("Recording ") + AStart.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"))
           + QStringLiteral(".wav");
}

QString TRecordingPlace::FreePath(const QString &AFolder, const QDateTime &AStart)
{
    const QDir folder(AFolder);
    const QString name = FileName(AStart);
    QString path = folder.filePath(name);
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder.filePath(QFileInfo(name).completeBaseName() + QStringLiteral(" (%1).wav").arg(n));
    return path;
}

bool TRecordingPlace::MakeFolder(QString &AError)
{
    const QString folder = Folder();
    if (AppDataFolder.isEmpty()) {
        AError = QStringLiteral("The data folder is not known.");
        return false;
    }
    if (Platform::FolderExists(folder))
        return true;
    try {
        Platform::CreateFolder(folder);
        return true;
    } catch (const EOSError &error) {
        AError = error.Message();
        return false;
    }
}

void TRecordingPlace::RepairLeftovers()
{
    if (!AppDataFolder.isEmpty())
        TWavRepair::RepairFolder(Folder());
}
