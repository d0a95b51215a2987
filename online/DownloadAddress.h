#pragma once

#include <QString>

// Where the update popup's link leads: AUpdateURL when it is an absolute
// http:// or https:// address with a host, else HomePageURL(). A server's text
// is never handed to the desktop to open as anything else (a file, a program).
QString DownloadAddress(const QString &AUpdateURL);
