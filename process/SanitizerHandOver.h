#pragma once

// Marks for ThreadSanitizer where one thread hands its work over to another,
// at hand-overs whose own synchronisation it does not always record.
//
// The component's thread runs our code from inside Qt (a posted call, the
// deletion of a parent's children). There, ThreadSanitizer at times drops that
// thread's atomic operations and locks from its record (the release of a
// semaphore, of a shared_ptr's count, of a mutex) while the accesses around
// them stay recorded. Then the worker, which frees itself after its end
// notification has run, looks as if it freed what the component's thread had
// just used, although it waited for that thread. These marks are always
// recorded and sit where the semaphore and the reference counts already give
// the order, so they add no order the program lacks: a worker that did not wait
// would still be found. Without ThreadSanitizer they are empty.

#if defined(__SANITIZE_THREAD__)
#define TONARA_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TONARA_THREAD_SANITIZER 1
#endif
#endif

#if defined(TONARA_THREAD_SANITIZER)
#include <sanitizer/tsan_interface.h>
#endif

namespace SanitizerHandOver {

// Everything this thread did so far happens before a later Acquire of AObject
// (nothing for a null AObject).
inline void Release([[maybe_unused]] const void *AObject)
{
#if defined(TONARA_THREAD_SANITIZER)
    if (AObject)
        __tsan_release(const_cast<void *>(AObject));
#endif
}

// Everything done before a Release of AObject happens before what this thread does next.
inline void Acquire([[maybe_unused]] const void *AObject)
{
#if defined(TONARA_THREAD_SANITIZER)
    if (AObject)
        __tsan_acquire(const_cast<void *>(AObject));
#endif
}

} // namespace SanitizerHandOver
