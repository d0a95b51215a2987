#include "platform/Event.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/eventfd.h>
#include <unistd.h>

namespace Platform {

TEvent::TEvent(bool AManualReset)
    : FFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
    , FManualReset(AManualReset)
{
    if (FFd < 0)
        throw std::runtime_error("eventfd: " + std::to_string(errno));
}

TEvent::~TEvent()
{
    close(FFd);
}

void TEvent::Set()
{
    const uint64_t one = 1;
    // EAGAIN only when the counter is near its maximum: it is set either way.
    while (write(FFd, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void TEvent::Reset()
{
    uint64_t value = 0;
    while (read(FFd, &value, sizeof value) < 0 && errno == EINTR) {
    }
}

bool TEvent::Consume()
{
    if (FManualReset)
        return IsSet();
    uint64_t value = 0;
    ssize_t n;
    while ((n = read(FFd, &value, sizeof value)) < 0 && errno == EINTR) {
    }
    return n == sizeof value;
}

bool TEvent::IsSet() const
{
    pollfd p{FFd, POLLIN, 0};
    return poll(&p, 1, 0) == 1;
}

} // namespace Platform
