#pragma once

// Marks for ThreadSanitizer where one thread hands its work over to another,
// at hand-overs whose own synchronisation it does not always record.
//
// A call of the component's thread runs from inside Qt's event dispatch. There,
// ThreadSanitizer at times drops that thread's atomic operations and locks from
// its record (the release of a semaphore, of a shared_ptr's count, of a mutex),
// while the accesses around them stay recorded. Then the worker, which frees
// itself after its end notification has run, looks as if it freed what the
// component's thread had just used, although it waited for that thread. The
// annotations below are always recorded, so they state the order that the
// semaphore and the reference count already give. They say nothing new: a
// worker that did not wait would still be found. Without ThreadSanitizer they
// are empty.

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

// Everything this thread did so far happens before a later Acquire of AObject.
inline void Release([[maybe_unused]] const void *AObject)
{
#if defined(TONARA_THREAD_SANITIZER)
    __tsan_release(const_cast<void *>(AObject));
#endif
}

// Everything done before a Release of AObject happens before what this thread does next.
inline void Acquire([[maybe_unused]] const void *AObject)
{
#if defined(TONARA_THREAD_SANITIZER)
    __tsan_acquire(const_cast<void *>(AObject));
#endif
}

} // namespace SanitizerHandOver
