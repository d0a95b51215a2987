#include "support/UrlCatcher.h"

void TUrlCatcher::Open(const QUrl &AUrl)
{
    Urls << AUrl;
}
