#pragma once

#include "online/Checker.h"

#include <QString>

// The server's notice as the update check shows it: a warning box captioned
// "IMPORTANT" (translated), with the notice as plain text. GUI thread only.
void ShowUpdateNotice(const QString &ANotice);

// The notice hook for the check's own thread. Widgets live on the GUI thread
// only, so the box is shown there; the hook returns when the user has closed
// it, and the check goes on only after that. A stop request ends the wait, and
// once the application object is gone (or a stop was asked) nothing is shown.
TShowNotice GuiThreadNotice();
