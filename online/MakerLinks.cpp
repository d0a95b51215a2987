#include "online/MakerLinks.h"

#include "online/ServerAddress.h"

QString MakerWebAddress()
{
    return ServerAuthority();
}

QString HomePageAddress()
{
    return ServerAddress(QStringLiteral("http"), QStringLiteral("/"));
}

QString CreditsAddress()
{
    return ServerAddress(QStringLiteral("http"), QStringLiteral("/blog/credits/"));
}

QString UninstallHelpAddress()
{
    return ServerAddress(QStringLiteral("http"), QStringLiteral("/blog/how-to-uninstall-quillaby-software/"));
}

QString TranslationHelpAddress()
{
    return ServerAddress(QStringLiteral("https"), QStringLiteral("/blog/multilingual-software/"));
}
