#pragma once

#include "process/ProcessRunnerTypes.h"

#include <QString>
#include <optional>

// How far an ffmpeg run has come, read from the tool's own output: the input's
// "Duration:" line and the "time=" of each progress line. Feed it every output
// line of one run; Reset it before the next.
class TFfmpegProgress
{
public:
    // Takes one output line. A line may still hold carriage returns (ffmpeg
    // ends its progress lines with one); each part counts as a line. Returns
    // whether Fraction changed.
    bool Feed(const QString &ALine);

    // The same for a line as the process runner reports it: the start of a
    // line that is still being written (AType otBeginningOfLine) is skipped,
    // since a "Duration:" cut in two would hide the input's length for good.
    bool FeedOutput(const QString &ALine, TOutputType AType);

    // Forgets everything of the previous run; the length factor stays.
    void Reset();

    // The result's length per second of input, for effects that change the
    // tempo (progress lines count the result's time). 1 by default.
    void SetLengthFactor(double AValue);

    // Seconds of the input, once its "Duration:" line was seen with a time.
    std::optional<double> DurationSeconds() const;

    // 0..1, or nothing while the length of the run is unknown.
    std::optional<double> Fraction() const;

private:
    void FeedPart(const QString &APart);

    bool FDurationSeen = false;
    std::optional<double> FDuration;
    double FTime = 0;
    double FLengthFactor = 1;
};
