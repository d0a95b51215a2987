#pragma once

#include "effects/FfmpegProgress.h"
#include "effects/RunOutcome.h"
#include "process/ProcessRunnerTypes.h"

#include <QObject>
#include <QString>
#include <optional>

class TProcessRunner;

// What one effect run does: the effect AEffectItem (a list item's text, with
// the Rate and Tempo slider positions that "Custom" uses) applied to Input,
// written to WorkFile.
struct TEffectJob
{
    QString Input;
    QString EffectItem;
    int RatePosition = 10;
    int TempoPosition = 2;
    QString WorkFile;
};

// One effect over one input into one work file, with the external tool as a
// hidden child: owns the runner and its settings (no time limits, output not
// echoed), the command line, the one answer to the tool's overwrite question,
// the progress and the decision of how the run ended and why. The window's
// Play, its batch and the command-line mode all run effects through it.
//
// Lives on the thread that creates it; every signal comes from its event loop,
// never from inside Start or Stop.
class TEffectRun : public QObject
{
    Q_OBJECT

public:
    explicit TEffectRun(QObject *AParent = nullptr);
    // A run still under way is stopped; its child is killed and nothing is reported.
    ~TEffectRun() override;

    // Deletes AJob.WorkFile (an earlier result) and starts the tool. When the
    // input is the work file itself, a copy of it is read instead. Raises
    // std::exception when the run cannot be started (the copy failed, the
    // runner refused); nothing is reported then and the run is not running.
    void Start(const TEffectJob &AJob);

    // Asks the run to end; returns at once. Finished follows: "Aborted" when
    // the tool had written sound, "Error" when it had not.
    void Stop();

    bool IsRunning() const;
    const TEffectJob &Job() const { return FJob; }
    // 0..1 once the tool told the input's length, else nothing.
    std::optional<double> Fraction() const { return FProgress.Fraction(); }
    // The outcome and reason of the last finished run.
    TRunOutcome Outcome() const { return FOutcome; }
    QString Reason() const { return FReason; }

    // When set, a tool that cannot be started is not shown in the runner's
    // error box: its reason only goes with Finished (for batches, which report
    // every failure at their end). Off by default.
    void SetQuietStartErrors(bool AValue) { FQuietStartErrors = AValue; }

    // The runner, for those who watch the child itself (tests, the process id).
    TProcessRunner *Runner() const { return FRunner; }

signals:
    // Every output line of the tool as the runner reports it.
    void NewLine(const QString &ALine, TOutputType AType);
    // Fraction changed.
    void ProgressChanged();
    // The run ended: "Complete", "Error" or "Aborted". AReason is empty for
    // "Complete"; for "Error" the tool's last words or why it did not start;
    // for "Aborted" that it was stopped.
    void Finished(TRunOutcome AOutcome, const QString &AReason);

private:
    void RunNewLine(const QString &ALine, TOutputType AType);
    void RunTerminated();
    QString ToolsLastWords() const;

    TProcessRunner *FRunner;
    TEffectJob FJob;
    TFfmpegProgress FProgress;
    bool FAbortRequested = false;
    bool FOverwriteAnswered = false;
    bool FQuietStartErrors = false;
    QString FStartError;
    TRunOutcome FOutcome = TRunOutcome::Error;
    QString FReason;
};
