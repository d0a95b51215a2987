#pragma once

#include "platform/ChildProcess.h"
#include "platform/Event.h"
#include "process/CallQueue.h"
#include "process/InputLines.h"
#include "process/ProcessRunnerTypes.h"

#include <QObject>
#include <atomic>
#include <exception>
#include <memory>
#include <shared_mutex>

class TProcessRunner;
class TProcessTimer;
class TReadPipe;
class TRunEvents;
class TStringList;
class TStrings;

// Carries out one run of the process runner on a thread of its own: creates
// the pipes and the child, starts the pipe reader, then sleeps in one wait on
// five descriptors (decoded output, queued input, the child's end, a stop
// request, the one-second tick), assembles output lines, writes queued input,
// enforces the time limits and ends or terminates the child. Every result is
// posted to the component's thread in the order it was produced; the
// termination request and the end notification are calls the worker waits
// for. It frees itself after the end notification has returned.
//
// When the component's thread falls behind (its queue is full) the worker
// stops taking output until that thread has caught up; the reader, and then
// the child, wait meanwhile.
class TRunnerThread : public QObject
{
public:
    using TFinishedEvent = std::function<void(TRunnerThread *Sender)>;

    // Starts at once. AOwner's end status becomes esStill_Active.
    TRunnerThread(TProcessRunner *AOwner, const QString &ACl, const QString &ACurrDir, TStringList *ALines,
                  TStrings *AOl, std::shared_ptr<TProcessTimer> ATimer, qint32 AMtab, qint32 AMtalo, TNewLineEvent AOnl,
                  TNewCharEvent AOnc, TFinishedEvent Ot, TTerminateProcessEvent AOtp, qint32 Ap, bool Aito,
                  const TStrings *AEnv, TCharDecoding AOnCharDecoding, TCharEncoding AOnCharEncoding);
    ~TRunnerThread() override;

    // Asks the worker to end the run; returns at once.
    void Terminate();
    bool Terminated() const { return FTerminated; }
    TInputLines &InputLines() { return *FInputLines; }
    // The child's exit code as last read; STILL_ACTIVE while it runs.
    quint32 ExitCode() const { return FExitCode; }
    // Why the run failed, or nothing.
    std::exception_ptr FatalException() const { return FFatalException; }

    // The component is going away: from now on nothing is posted to it and
    // nothing of it is called; the run ends on its own (it has been asked to
    // terminate) and the worker frees itself, possibly before this returns.
    void DetachOwner();

    // Workers that exist at this moment, in all components.
    static int LiveCount();

private:
    void ThreadMain();
    void Execute();
    void WaitLoop();
    void ReadOutput();
    bool LastOutputTooLongAgo(bool AHeldBack);
    void EndOfRun();
    void ReadRest();

    // Line assembly of the output.
    void DoReadLine();
    void DoLineEnd(QString &ALine);
    void DoEntireLine(QString AStr);
    void DoNewChar(QChar AChar);
    bool DoNewChars(const QChar *AChars, qsizetype ACount);
    static qsizetype OrdinaryRunEnd(const QChar *AChars, qsizetype AStart, qsizetype ACount);
    static qsizetype SkipAboveCR(const QChar *AChars, qsizetype AStart, qsizetype ACount);
    void DoNewLine(const QString &AStr, TOutputType AOutputType);
    void PostOutputLine(const QString &AText, bool AReplaceLast);
    void FlushLastLine();

    void DoSendLine();
    void DoTerminateProcess();

    void SetEndStatus(TEndStatus AValue);
    QString DecodeChunk(QObject *ASender, const QByteArray &ABuf);
    QString DecodeRest();

    // Keeps a call for the component's thread; it is handed over, in order,
    // at the next flush of FCalls (after each batch of output, before each
    // wait, and with the next Send).
    template <class F> void Post(F &&AFunction);
    // Hands a call to the component's thread and waits until it has run or
    // has been dropped with the component; true when it ran.
    template <class F> bool Send(F &&AFunction);

    QString FCommandLine;
    QString FCurrentDir;
    QStringList FEnvironment;
    std::unique_ptr<TInputLines> FInputLines;
    bool FInputToOutput;
    qint32 FMaxTimeAfterBeginning;
    qint32 FMaxTimeAfterLastOutput;
    TCharDecoding FOnCharDecoding;
    TCharEncoding FOnCharEncoding;
    TTerminateProcessEvent FOnTerminateProcess;
    TFinishedEvent FOnFinished;
    TProcessRunner *FOwner;
    std::shared_mutex FOwnerLock; // guards FOwner against DetachOwner
    // The lists and the line and character handlers, as the calls use them.
    std::shared_ptr<TRunEvents> FEvents;
    std::shared_ptr<TCallQueue> FCalls; // everything for the component's thread, in order
    qint32 FPriority;
    TProcessInformation FProcessInformation;
    Platform::TEvent FTerminateEvent{true};
    std::atomic<bool> FTerminated{false};
    std::shared_ptr<TProcessTimer> FTimer;
    quint32 FExitCode = 0;
    bool FCanTerminate = false;
    std::exception_ptr FFatalException;

    Platform::TChildProcess FChild;
    std::unique_ptr<TReadPipe> FReader;
    int FParentWrite = -1;
    // The line state of the run: the incomplete line carried from one batch
    // to the next, whether OutputLines shows it in its last entry, and whether
    // the last character was a CR (so an LF that opens the next batch ends no
    // second line).
    QString FLast;
    bool FPartial = false;
    bool FAfterCR = false;

    static std::atomic<int> FLiveCount;
};
