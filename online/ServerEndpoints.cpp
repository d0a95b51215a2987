#include "online/ServerEndpoints.h"

#include "online/ServerAddress.h"

QString CheckAddress()
{
    return ServerAuthority() + QStringLiteral("/php/check2.php");
}

QString FeedbackAddress()
{
    return ServerAuthority() + QStringLiteral("/php/feedback.php");
}

QString HomePageURL()
{
    return ServerAddress(QStringLiteral("http"), QStringLiteral("/"));
}
