#include "identity/AppIdentity.h"

#include "identity/EXEVersionData.h"
#include "identity/FileVersion.h"
#include "platform/Folder.h"
#include "platform/UserDataFolder.h"

QString AppCompanyName;
QString AppProductName;
QString AppVersion;
QString AppTitle;
QString AppDataFolder;

QString WorkFile()
{
    return AppDataFolder + QStringLiteral("output.wav");
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
