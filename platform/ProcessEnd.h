#pragma once

namespace Platform {

// Ends the process with exit code ACode, once all of the program's own work is
// done and its objects are gone: standard output and error are flushed, and the
// libraries' exit-time destructors are not run. Qt Multimedia tears down its
// sound-server connection in them while that connection's own thread may still
// be handling a message, which crashed one exit in about a hundred after a
// recording. Leak checking still runs in builds with LeakSanitizer; builds with
// ThreadSanitizer end through exit(), whose hook gives reports their exit code.
[[noreturn]] void EndProcess(int ACode);

} // namespace Platform
