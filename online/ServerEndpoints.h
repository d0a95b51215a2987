#pragma once

#include <QString>

// The maker's web server as the online features address it: host (and port)
// and path, no scheme; the form post puts "https://" or "http://" in front.
QString CheckAddress();
QString FeedbackAddress();

// The maker's home page, the download link when the server names none.
QString HomePageURL();
