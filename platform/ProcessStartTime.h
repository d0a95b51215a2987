#pragma once

#include <QString>
#include <sys/types.h>

// A process told apart from a later one that reuses its id: its id together
// with the time it started (clock ticks since boot, from /proc/PID/stat).
namespace Platform {

// "PID:START" of the running process.
QString ProcessIdentity();

// Whether the process named by AIdentity ("PID:START") is still running; false
// for a text that names no process.
bool ProcessIdentityAlive(const QString &AIdentity);

} // namespace Platform
