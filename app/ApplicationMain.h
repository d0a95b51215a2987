#pragma once

// The program's main block: without options the main window and its message
// loop (with the files named on the command line in its list), with an option
// the command-line mode.
// Returns the process's exit code.
int RunApplication(int argc, char *argv[]);
