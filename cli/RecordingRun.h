#pragma once

#include "cli/CommandLineOptions.h"
#include "platform/TerminationSignals.h"

#include <QEventLoop>

class TVoiceRecorder;

// tonara --record: records the chosen input into the output file for the given
// time. SIGINT or SIGTERM ends it early; the file keeps what was recorded.
class TRecordingRun
{
public:
    explicit TRecordingRun(const TCommandLineOptions &AOptions);

    // 0 when the recording was made (also when a signal ended it early), 1 when
    // it could not start or broke off.
    int Run();

private:
    int Report(const TVoiceRecorder &ARecorder);

    const TCommandLineOptions &FOptions;
    Platform::TTerminationSignals FSignals;
    QEventLoop FLoop;
};
