// ThreadSanitizer reads these at start. glibc's tzset guards its state with a
// lock of its own that ThreadSanitizer cannot see, so two threads formatting
// local dates (the check writes today's date) look like a race there.
extern "C" const char *__tsan_default_suppressions()
{
    return "race:tzset_internal\n";
}
