#pragma once

class TCommandLineOptions;

// "--live": the effect on the microphone, to the speakers or to "Tonara
// Microphone", until SIGINT or SIGTERM (exit 130 or 143) or until live voice
// stops by itself (exit 1, the reason on standard error).
int RunLiveMode(const TCommandLineOptions &AOptions);
