#include "platform/TickCount.h"

#include <chrono>

namespace Platform {

quint32 TickCount()
{
    const auto sinceBoot = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<quint32>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceBoot).count());
}

} // namespace Platform
