#pragma once

#include <initializer_list>

namespace Platform {

// Sleeps until at least one of the descriptors is readable (or hung up) and
// returns the lowest such index, so earlier descriptors are served first.
// ATimeoutMs < 0 waits without limit; returns -1 when the time ran out.
int WaitForAny(std::initializer_list<int> AFds, int ATimeoutMs = -1);

} // namespace Platform
