#include "app/AppIdentity.h"

QString AppCompanyName;
QString AppProductName;
QString AppVersion;
QString AppTitle;
QString AppDataFolder;

QString WorkFile()
{
    return AppDataFolder + QStringLiteral("output.wav");
}
