#pragma once

// The process runner: runs one console command line at a time as a hidden
// child process with its standard input, output and error redirected (output
// and error merged), and reports its output line by line, and the end of each
// run, as events on the thread that owns the component.

#include "platform/PriorityClass.h"
#include "platform/SystemCodePage.h"
#include "process/ProcessErrors.h"
#include "process/ProcessRunnerTypes.h"
#include "process/StringList.h"

#include <QObject>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>

class TProcessTimer;
class TRunnerThread;

class TProcessRunner : public QObject
{
    Q_OBJECT
    // The settings of a run, readable and writable through Qt's property system.
    Q_PROPERTY(QString CommandLine READ CommandLine WRITE SetCommandLine)
    Q_PROPERTY(QString CurrentDir READ CurrentDir WRITE SetCurrentDir)
    Q_PROPERTY(QStringList Environment READ EnvironmentEntries)
    Q_PROPERTY(bool InputToOutput READ InputToOutput WRITE SetInputToOutput)
    Q_PROPERTY(int MaxTimeAfterBeginning READ MaxTimeAfterBeginning WRITE SetMaxTimeAfterBeginning)
    Q_PROPERTY(int MaxTimeAfterLastOutput READ MaxTimeAfterLastOutput WRITE SetMaxTimeAfterLastOutput)
    // Not stored.
    Q_PROPERTY(int EndStatus READ EndStatus STORED false)
    Q_PROPERTY(uint ExitCode READ ExitCode STORED false)
    Q_PROPERTY(bool IsRunning READ IsRunning STORED false)
    Q_PROPERTY(int Priority READ Priority WRITE SetPriority STORED false)

public:
    explicit TProcessRunner(QObject *AOwner = nullptr);
    // A run still under way is stopped and left behind: it ends on its own,
    // kills and reaps its child, and calls none of this component's handlers.
    ~TProcessRunner() override;

    // Starts a run and returns at once.
    void Execute();
    // Asks the run to end; returns at once. OnTerminated reports the end.
    void Stop();
    // Queues AValue for the child's input, followed by CR LF when AEol.
    void SendLine(const QString &AValue, bool AEol);

    // Default decoding of the output (called on the reader thread for every
    // read): OnCharDecoding when assigned, otherwise the system's character
    // set, with a character split between two reads decoded whole.
    virtual QString DecodeOutput(QObject *ASender, const QByteArray &ABuf);
    // Default encoding of the input (called on the worker thread for every line).
    virtual void EncodeInput(QObject *ASender, const QString &AChars, QByteArray &AOutBuf);

    // The worker's end notification, on this component's thread while the worker waits.
    void WorkerFinished(TRunnerThread *Sender);
    // Shows an error that no handler took: the executable's name as caption, and the
    // exception's class name, a line break and its message as text.
    static void ShowExecuteError(const std::exception &E);
    // How ShowExecuteError shows it. The window installs its error box at start-up;
    // with none installed (the command-line mode) the text goes to standard error.
    using TErrorDisplay = std::function<void(const QString &ACaption, const QString &AText)>;
    static void SetErrorDisplay(TErrorDisplay ADisplay);

    QString CommandLine() const { return FCommandLine; }
    void SetCommandLine(const QString &AValue) { FCommandLine = AValue; }
    QString CurrentDir() const { return FCurrentDir; }
    void SetCurrentDir(const QString &AValue) { FCurrentDir = AValue; }
    // NAME=value entries added after the inherited environment; edit the list itself.
    TStringList *Environment() const { return FEnvironment.get(); }
    QStringList EnvironmentEntries() const { return FEnvironment->ToStringList(); }
    bool InputToOutput() const { return FInputToOutput; }
    void SetInputToOutput(bool AValue) { FInputToOutput = AValue; }
    int MaxTimeAfterBeginning() const { return FMaxTimeAfterBeginning; }
    void SetMaxTimeAfterBeginning(int AValue) { FMaxTimeAfterBeginning = AValue; }
    int MaxTimeAfterLastOutput() const { return FMaxTimeAfterLastOutput; }
    void SetMaxTimeAfterLastOutput(int AValue) { FMaxTimeAfterLastOutput = AValue; }

    TEndStatus EndStatus() const { return TEndStatus(FEndStatus.load()); }
    quint32 ExitCode() const { return FExitCode; }
    bool IsRunning() const { return FThread != nullptr; }
    // Completed output lines of the current or last run; cleared by Execute.
    TStringList *Lines() const { return FLines.get(); }
    // A caller's list that mirrors the output, growing lines included; never cleared.
    TStrings *OutputLines() const { return FOutputLines; }
    void SetOutputLines(TStrings *AValue) { FOutputLines = AValue; }
    // A Windows priority class (NORMAL_PRIORITY_CLASS by default); see
    // Platform::NiceValueOfPriorityClass for the nice value each one gives.
    int Priority() const { return FPriority; }
    void SetPriority(int AValue) { FPriority = AValue; }
    TProcessInformation ProcessInformation() const { return FProcessInformation; }
    // The one-second tick behind the time limits; created by the first Execute.
    TProcessTimer *Timer() const { return FTimer.get(); }

    // The events.
    TCharDecoding OnCharDecoding() const { return FOnCharDecoding; }
    void SetOnCharDecoding(TCharDecoding AValue);
    TCharEncoding OnCharEncoding() const { return FOnCharEncoding; }
    void SetOnCharEncoding(TCharEncoding AValue);
    TErrorEvent OnExecuteError() const { return FonExecuteError; }
    void SetOnExecuteError(TErrorEvent AValue) { FonExecuteError = std::move(AValue); }
    TNewCharEvent OnNewChar() const { return FOnNewChar; }
    void SetOnNewChar(TNewCharEvent AValue) { FOnNewChar = std::move(AValue); }
    TNewLineEvent OnNewLine() const { return FOnNewLine; }
    void SetOnNewLine(TNewLineEvent AValue) { FOnNewLine = std::move(AValue); }
    TNotifyEvent OnTerminated() const { return FOnTerminated; }
    void SetOnTerminated(TNotifyEvent AValue) { FOnTerminated = std::move(AValue); }
    TTerminateProcessEvent OnTerminateProcess() const { return FOnTerminateProcess; }
    void SetOnTerminateProcess(TTerminateProcessEvent AValue) { FOnTerminateProcess = std::move(AValue); }

private:
    friend class TRunnerThread;
    friend class TRunEvents;

    void ReportExecuteError(const std::exception &AE);
    // Runs a handler of the user; what it throws is shown in the error box.
    template <class F> void CallHandler(F &&AHandler);
    // What the default decoding still holds at the end of a run.
    QString DecodeOutputRest();

    QString FCommandLine;
    QString FCurrentDir;
    std::unique_ptr<TStringList> FEnvironment;
    bool FInputToOutput = false;
    int FMaxTimeAfterBeginning = 0;
    int FMaxTimeAfterLastOutput = 0;
    TCharDecoding FOnCharDecoding;
    TCharEncoding FOnCharEncoding;
    TErrorEvent FonExecuteError;
    TNewCharEvent FOnNewChar;
    TNewLineEvent FOnNewLine;
    TNotifyEvent FOnTerminated;
    TTerminateProcessEvent FOnTerminateProcess;

    std::atomic<qint32> FEndStatus{esNone};
    quint32 FExitCode = 0;
    std::unique_ptr<TStringList> FLines;
    TStrings *FOutputLines = nullptr;
    int FPriority = Platform::NORMAL_PRIORITY_CLASS;
    TProcessInformation FProcessInformation;
    TRunnerThread *FThread = nullptr;
    std::shared_ptr<TProcessTimer> FTimer;
    Platform::TSystemDecoder FDecoder;
};

template <class F> void TProcessRunner::CallHandler(F &&AHandler)
{
    try {
        AHandler();
    } catch (const std::exception &E) {
        ShowExecuteError(E);
    } catch (...) {
        ShowExecuteError(std::runtime_error("Unknown exception"));
    }
}
