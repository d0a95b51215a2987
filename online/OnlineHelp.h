#pragma once

#include <QString>

// The online help page of a product: plain HTTP on the maker's web server,
// path "/help/" + the name in lower case with blanks as "-" + "/".
QString OnlineHelpAddress(const QString &AProductName);
