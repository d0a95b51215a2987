#include "online/DownloadAddress.h"

#include "online/ServerEndpoints.h"

#include <QUrl>

namespace {

bool IsWebAddress(const QString &AText)
{
    const QUrl url(AText, QUrl::StrictMode);
    const QString scheme = url.scheme();
    return url.isValid() && (scheme == QStringLiteral("http") || scheme == QStringLiteral("https"))
           && !url.host().isEmpty();
}

} // namespace

QString DownloadAddress(const QString &AUpdateURL)
{
    return IsWebAddress(AUpdateURL) ? AUpdateURL : HomePageURL();
}
