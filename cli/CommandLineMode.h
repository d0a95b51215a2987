#pragma once

// The program without a window: applies an effect to files named on the
// command line, or prints the help, the version, the effects or the commands.
// Returns the process's exit code.
int RunCommandLine(int argc, char *argv[]);
