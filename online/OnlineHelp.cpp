#include "online/OnlineHelp.h"

#include "online/ServerAddress.h"

QString OnlineHelpAddress(const QString &AProductName)
{
    QString name = AProductName.toLower();
    name.replace(QLatin1Char(' '), QLatin1Char('-'));
    return ServerAddress(QStringLiteral("http"), QStringLiteral("/help/") + name + QLatin1Char('/'));
}
