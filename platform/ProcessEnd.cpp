#include "platform/ProcessEnd.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace Platform {

void EndProcess(int ACode)
{
#if defined(__SANITIZE_THREAD__)
    std::exit(ACode);
#else
    std::fflush(nullptr);
#if defined(__SANITIZE_ADDRESS__)
    // Reports leaks and ends the process with the checker's exit code if any.
    __lsan_do_leak_check();
#endif
    ::_exit(ACode);
#endif
}

} // namespace Platform
