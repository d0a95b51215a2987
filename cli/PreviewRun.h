#pragma once

#include "audio/PreviewPlayer.h"
#include "cli/CommandLineOptions.h"
#include "platform/TerminationSignals.h"

#include <QEventLoop>

// Plays the effect on the input to the default sound output, streamed as the
// window's Preview does, until the input's end or SIGINT/SIGTERM.
class TPreviewRun
{
public:
    explicit TPreviewRun(const TCommandLineOptions &AOptions);

    // Returns 0 at the input's end, 1 when it cannot be played, 128 + the
    // signal's number when a signal stopped it.
    int Run();

private:
    const TCommandLineOptions &FOptions;
    TPreviewPlayer FPlayer;
    Platform::TTerminationSignals FSignals;
    QEventLoop FLoop;
};
