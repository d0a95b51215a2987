#include "app/ServerAddress.h"

#include <QUrl>
#include <atomic>
#include <cstdio>

namespace {

bool IsPlainAuthority(const QString &AValue)
{
    const QUrl url(QStringLiteral("http://") + AValue, QUrl::StrictMode);
    return url.isValid() && !url.host().isEmpty() && url.userInfo().isEmpty() && url.path().isEmpty() && !url.hasQuery()
           && !url.hasFragment() && !AValue.contains(QLatin1Char('/'));
}

} // namespace

QString ServerAuthority()
{
    const QString value = qEnvironmentVariable("TONARA_SERVER").trimmed();
    if (value.isEmpty())
        return QStringLiteral(TONARA_SERVER_HOST);
    if (IsPlainAuthority(value))
        return value;
    // Said once; the update check asks from its own thread too.
    static std::atomic<bool> reported = false;
    if (!reported.exchange(true)) {
        std::fprintf(stderr, "TONARA_SERVER=\"%s\" is not a host or host:port; using %s\n", qPrintable(value),
                     TONARA_SERVER_HOST);
    }
    return QStringLiteral(TONARA_SERVER_HOST);
}

QString ServerAddress(const QString &AScheme, const QString &APath)
{
    return AScheme + QStringLiteral("://") + ServerAuthority() + APath;
}
