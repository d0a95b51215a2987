#include "app/OnlineHelp.h"

#include "app/ServerAddress.h"

QString OnlineHelpAddress(const QString &AProductName)
{
    QString name = AProductName.toLower();
    name.replace(QLatin1Char(' '), QLatin1Char('-'));
    return ServerAddress(QStringLiteral("http"), QStringLiteral("/help/") + name + QLatin1Char('/'));
}
