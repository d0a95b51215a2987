#include "platform/PriorityClass.h"

namespace Platform {

std::optional<int> NiceValueOfPriorityClass(int AFlags)
{
    struct TMapping
    {
        int Flag;
        int Nice;
    };
    static constexpr TMapping mappings[] = {
        {REALTIME_PRIORITY_CLASS, -20},    {HIGH_PRIORITY_CLASS, -10}, {ABOVE_NORMAL_PRIORITY_CLASS, -5},
        {BELOW_NORMAL_PRIORITY_CLASS, 10}, {IDLE_PRIORITY_CLASS, 19},
    };
    for (const TMapping &m : mappings)
        if (AFlags & m.Flag)
            return m.Nice;
    return std::nullopt;
}

} // namespace Platform
