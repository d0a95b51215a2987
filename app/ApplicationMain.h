#pragma once

// The program's main block: start-up, the main window and the message loop.
// Returns the process's exit code.
int RunApplication(int argc, char *argv[]);
