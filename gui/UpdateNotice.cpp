#include "gui/UpdateNotice.h"

#include "gui/UserDialogs.h"
#include "i18n/Language.h"

#include <QCoreApplication>
#include <QThread>

void ShowUpdateNotice(const QString &ANotice)
{
    TUserDialogs::ShowMessage(ANotice, Translate(QStringLiteral("IMPORTANT")), TUserDialogs::IconWarning);
}

TShowNotice GuiThreadNotice()
{
    return [](const QString &ANotice) {
        // The application object lives on the GUI thread for as long as the
        // check can run; a blocking call from that thread itself would never return.
        QCoreApplication *application = QCoreApplication::instance();
        if (QThread::currentThread() == application->thread()) {
            ShowUpdateNotice(ANotice);
            return;
        }
        QMetaObject::invokeMethod(
            application, [ANotice] { ShowUpdateNotice(ANotice); }, Qt::BlockingQueuedConnection);
    };
}
