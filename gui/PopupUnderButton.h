#pragma once

#include <QPointer>
#include <QtGlobal>

class QAbstractButton;
class QMenu;

// Re-click guard shared by every popup shown under a button, for the life of the
// process: the press on a button that closes its open menu must not reopen it.
// Guarded pointers, so a destroyed button or menu never matches a new one.
extern QPointer<QAbstractButton> LastPopupButton;
extern QPointer<QMenu> LastPopupMenu;
extern quint32 LastPopupTime; // tick count at which LastPopupMenu last closed

// A press this soon after the menu closed is taken as the press that closed it.
inline constexpr quint32 PopupReclickMs = 100;

// Whether a press at tick ANow comes too soon after the close at tick
// ALastPopupTime; unsigned 32-bit arithmetic, so the tick counter's wrap does no harm.
bool IsPopupReclick(quint32 ALastPopupTime, quint32 ANow);

// Shows AMenu with its top-left corner at AButton's bottom-left corner and returns
// when the menu has closed; does nothing when the same button and menu come back
// within PopupReclickMs of that menu's close. AMenu's "PopupComponent" property
// names the button it was last shown under, for handlers shared between buttons.
void PopupUnderButton(QAbstractButton *AButton, QMenu *AMenu);
