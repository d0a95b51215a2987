#pragma once

#include <QString>

// The version and download address of an accepted update-check reply, for the
// update popup. Written by the check before it sets CheckFinished (release);
// read on the GUI thread only after CheckFinished was seen set (acquire), so it
// needs no lock of its own.
struct TUpdateOffer
{
    QString ServerVersion; // <version> of the reply
    QString UpdateURL;     // <url> of the reply, as sent; see DownloadAddress
};

TUpdateOffer &UpdateOffer();
