#pragma once

// The program's main block: without arguments the main window and its message
// loop, with arguments the command-line mode.
// Returns the process's exit code.
int RunApplication(int argc, char *argv[]);
