#pragma once

#include <QByteArray>
#include <QString>

// The script that starts the program again once it has ended: "start.sh", run
// by /bin/sh, waits about a second and then starts the executable.
namespace Platform {

// AText as one word for /bin/sh: in single quotes, each single quote written as
// '\'' so blanks, double quotes, "$" and backslashes stay plain characters.
QByteArray ShellQuoted(const QByteArray &AText);

// The script's three lines, each ended by LF (CR LF would break sh): "#!/bin/sh",
// "sleep 1", and AExecutablePath quoted for the shell.
QByteArray RestartScriptText(const QString &AExecutablePath);

// Writes RestartScriptText to AScriptPath, replacing any earlier script (or a
// link standing there, which is not followed). Raises
// EOSError, naming the file, when it cannot be written.
void WriteRestartScript(const QString &AScriptPath, const QString &AExecutablePath);

// Starts /bin/sh on the script in AWorkingFolder, detached, with nothing shown and
// its output discarded. False when it could not be started.
bool StartRestartScript(const QString &AScriptPath, const QString &AWorkingFolder);

} // namespace Platform
