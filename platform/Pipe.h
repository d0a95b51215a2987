#pragma once

#include <QByteArray>

namespace Platform {

// An anonymous pipe whose two ends are close-on-exec: a child receives an end
// only when it is handed over as one of its standard descriptors.
class TPipe
{
public:
    TPipe() = default;
    ~TPipe();
    TPipe(const TPipe &) = delete;
    TPipe &operator=(const TPipe &) = delete;

    // Returns 0 or the error number.
    int Create();
    int ReadEnd() const { return FRead; }
    int WriteEnd() const { return FWrite; }
    void CloseRead();
    void CloseWrite();

private:
    int FRead = -1;
    int FWrite = -1;
};

// Reads a blocking descriptor to its end (or to a read error), keeping nothing.
void DiscardInput(int AFd);

// Makes reads or writes on a descriptor return at once instead of blocking.
void SetNonBlocking(int AFd);

// Writes all of AData to a non-blocking descriptor, waiting while the pipe is
// full, and gives up when AAbortFd becomes readable. A reader that has gone
// away yields EPIPE instead of a signal that would end this program.
// Returns 0, the error number, or ECANCELED when aborted.
int WriteAll(int AFd, const QByteArray &AData, int AAbortFd);

} // namespace Platform
