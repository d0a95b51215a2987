#pragma once

namespace Platform {

// The null device opened for reading (close-on-exec): a child given it as
// standard input reads end-of-file at once and never our terminal.
class TNullInput
{
public:
    TNullInput();
    ~TNullInput();
    TNullInput(const TNullInput &) = delete;
    TNullInput &operator=(const TNullInput &) = delete;

    // The descriptor, or -1 when the device could not be opened.
    int Fd() const { return FFd; }
    // The error number of the failed open, 0 otherwise.
    int Error() const { return FError; }

private:
    int FFd;
    int FError = 0;
};

} // namespace Platform
