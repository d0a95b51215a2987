#include "identity/AppIdentity.h"

#include "identity/EXEVersionData.h"
#include "identity/FileVersion.h"
#include "platform/Folder.h"
#include "platform/FolderLock.h"
#include "platform/UserDataFolder.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

QString AppCompanyName;
QString AppProductName;
QString AppVersion;
QString AppTitle;
QString AppDataFolder;

namespace {

QString WorkFileName = QStringLiteral("output.wav");
bool OwnWorkFile = false;

} // namespace

QString WorkFile()
{
    return AppDataFolder + WorkFileName;
}

void UseOwnWorkFile()
{
    WorkFileName = QStringLiteral("output-%1.wav").arg(QCoreApplication::applicationPid());
    OwnWorkFile = true;
}

void ClaimWorkFile()
{
    static Platform::TFolderLock claim;
    if (!claim.TryLock(AppDataFolder.isEmpty() ? QStringLiteral(".") : AppDataFolder))
        UseOwnWorkFile();
}

QString UseNewWorkFileHere()
{
    QTemporaryFile claim(QStringLiteral("output-XXXXXX.wav"));
    claim.setAutoRemove(false);
    if (!claim.open())
        return QString();
    // Relative, like "output.wav": WorkFile puts AppDataFolder (empty here) in front.
    WorkFileName = QFileInfo(claim.fileName()).fileName();
    OwnWorkFile = true;
    return QFileInfo(claim.fileName()).absoluteFilePath();
}

void RemoveOwnWorkFile()
{
    if (OwnWorkFile)
        QFile::remove(WorkFile());
}

void ReadAppIdentity(const QString &AExeFileName)
{
    TEXEVersionData versionData;
    ReadVersionData(AExeFileName, versionData);
    AppCompanyName = versionData.CompanyName;
    AppProductName = versionData.ProductName;
    AppVersion = FormatAppVersion(GetFileVersion(AExeFileName));
    AppTitle = AppCompanyName + QStringLiteral(" - ") + AppProductName;
}

void CreateAppDataFolder()
{
    const QString base = Platform::UserDataFolder();
    const QString companyFolder = base + QLatin1Char('/') + AppCompanyName;
    if (!Platform::FolderExists(companyFolder))
        Platform::CreateFolder(companyFolder);
    const QString productFolder = companyFolder + QLatin1Char('/') + AppProductName;
    if (!Platform::FolderExists(productFolder))
        Platform::CreateFolder(productFolder);
    AppDataFolder = productFolder + QLatin1Char('/');
}
