// Defaults for the sanitizer builds of the process tests (TONARA_SANITIZER).
//
// Qt is not built with ThreadSanitizer. The last release of a shared text or
// of a posted call often happens inside libQt6Core, whose atomic reference
// counts and locks ThreadSanitizer cannot see, so the free that follows looks
// like a race with the other thread's earlier release. Interceptors (free
// above all) called from that library are therefore not checked; everything
// our own code does still is.
extern "C" const char *__tsan_default_suppressions()
{
    return "called_from_lib:libQt6Core.so.6\n";
}
