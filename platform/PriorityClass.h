#pragma once

#include <optional>

namespace Platform {

// Windows priority-class flags, as process-creation flags carry them.
constexpr int IDLE_PRIORITY_CLASS = 0x40;
constexpr int BELOW_NORMAL_PRIORITY_CLASS = 0x4000;
constexpr int NORMAL_PRIORITY_CLASS = 0x20;
constexpr int ABOVE_NORMAL_PRIORITY_CLASS = 0x8000;
constexpr int HIGH_PRIORITY_CLASS = 0x80;
constexpr int REALTIME_PRIORITY_CLASS = 0x100;

// The nice value a child gets for a priority class:
//   IDLE 19, BELOW_NORMAL 10, NORMAL none (the child keeps the parent's),
//   ABOVE_NORMAL -5, HIGH -10, REALTIME -20.
// Other flags in AFlags are ignored; no priority flag means none. Values
// below the parent's need privileges; without them the child simply keeps
// the parent's nice value: a priority is a wish, never a reason to fail a run.
std::optional<int> NiceValueOfPriorityClass(int AFlags);

} // namespace Platform
