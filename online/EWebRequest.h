#pragma once

#include <stdexcept>
#include <string>

// A form post that got no reply: not connected, timed out, TLS refused, or an
// error status the plain transport reports as an error. The text is for
// diagnostics only; users are never shown it.
class EWebRequest : public std::runtime_error
{
public:
    explicit EWebRequest(const std::string &AMessage);
};
