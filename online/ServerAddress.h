#pragma once

#include <QString>

// The maker's web server: host, or host:port, from the environment variable
// TONARA_SERVER when it holds one, else the build's TONARA_SERVER_HOST. A value
// that is not a plain host[:port] is reported once on stderr and ignored.
QString ServerAuthority();

// AScheme + "://" + ServerAuthority() + APath (APath starts with '/').
QString ServerAddress(const QString &AScheme, const QString &APath);
