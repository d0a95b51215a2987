#include "platform/WaitForAny.h"

#include <cerrno>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace Platform {

int WaitForAny(std::initializer_list<int> AFds, int ATimeoutMs)
{
    std::vector<pollfd> fds;
    fds.reserve(AFds.size());
    for (int fd : AFds)
        fds.push_back(pollfd{fd, POLLIN, 0});
    for (;;) {
        const int n = poll(fds.data(), fds.size(), ATimeoutMs);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw std::runtime_error("poll: " + std::to_string(errno));
        if (n == 0)
            return -1;
        for (size_t i = 0; i < fds.size(); ++i)
            if (fds[i].revents != 0)
                return int(i);
    }
}

} // namespace Platform
