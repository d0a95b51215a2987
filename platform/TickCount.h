#pragma once

#include <QtGlobal>

namespace Platform {

// Milliseconds of the system's monotonic clock, cut to 32 bits. The value wraps
// about every 49.7 days: compare two ticks only by their unsigned 32-bit
// difference (later - earlier), which stays right across the wrap.
quint32 TickCount();

} // namespace Platform
