#pragma once

#include <stdexcept>

// The sound server cannot do what live voice needs; what() is the message for
// the user, in plain words.
class ESoundServerError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};
