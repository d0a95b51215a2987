#pragma once

#include <QString>
#include <atomic>

// What the update check leaves for the main window. The check sets
// CheckFinished last (release); the window reads the other fields only after it
// has seen it set (acquire).
struct TUpdateCheckResults
{
    std::atomic<bool> CheckFinished = false;
    bool UpdateSwitchAvailable = false; // the server's reply was accepted
    int ShowUpdateValue = 1;            // "ShowUpdate" as read at the start of the check
    bool UpdateAvailable = false;       // the update popup is wanted
    QString ServerVersion;              // <version> of an accepted reply
    QString UpdateURL;                  // <url> of an accepted reply, as sent; see DownloadAddress
};
