#pragma once

#include <QString>
#include <stdexcept>

// The sound server cannot do what a stream needs; what() is the message for
// the user, in plain words.
class ESoundServerError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;

    // The error AError of the sound server's client library when opening a
    // stream on ADevice, an AKind such as "input device", in plain words.
    static ESoundServerError OfStream(int AError, const QString &ADevice, const char *AKind);
    // No server is there to connect to.
    static ESoundServerError NoServer();
    // The server took the connection or the request and never answered.
    static ESoundServerError NoAnswer();
};
