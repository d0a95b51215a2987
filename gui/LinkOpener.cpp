#include "gui/LinkOpener.h"

#include "gui/UserDialogs.h"

#include <QDesktopServices>
#include <QUrl>

bool TLinkOpener::Open(const QUrl &AAddress)
{
    if (QDesktopServices::openUrl(AAddress))
        return true;
    const QString address = AAddress.isLocalFile() ? AAddress.toLocalFile() : AAddress.toString();
    TUserDialogs::ShowSelectableMessage(
        QStringLiteral("This could not be opened on this desktop:\n\n%1\n\nCopy it to open it yourself.").arg(address),
        QStringLiteral("Warning"), TUserDialogs::IconWarning);
    return false;
}
