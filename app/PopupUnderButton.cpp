#include "app/PopupUnderButton.h"

#include "platform/TickCount.h"

#include <QAbstractButton>
#include <QMenu>

QPointer<QAbstractButton> LastPopupButton;
QPointer<QMenu> LastPopupMenu;
quint32 LastPopupTime = 0;

bool IsPopupReclick(quint32 ALastPopupTime, quint32 ANow)
{
    return quint32(ANow - ALastPopupTime) < PopupReclickMs;
}

void PopupUnderButton(QAbstractButton *AButton, QMenu *AMenu)
{
    if (AButton == LastPopupButton && AMenu == LastPopupMenu && IsPopupReclick(LastPopupTime, Platform::TickCount())) {
        LastPopupButton = nullptr;
        LastPopupMenu = nullptr;
        return;
    }
    // An entry's handler may destroy the button or the menu while it is open.
    const QPointer<QAbstractButton> button(AButton);
    const QPointer<QMenu> menu(AMenu);
    AMenu->setProperty("PopupComponent", QVariant::fromValue<QObject *>(AButton));
    AMenu->exec(AButton->mapToGlobal(QPoint(0, AButton->height())));
    LastPopupTime = Platform::TickCount();
    LastPopupButton = button;
    LastPopupMenu = menu;
}
