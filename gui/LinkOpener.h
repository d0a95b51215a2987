#pragma once

class QUrl;

// Opens an address with the desktop (the browser, the file manager). When the
// desktop cannot (no browser installed, no opener on the PATH), a box shows the
// address as selectable text, so the user can copy it.
class TLinkOpener
{
public:
    // True when the desktop took the address.
    static bool Open(const QUrl &AAddress);
};
