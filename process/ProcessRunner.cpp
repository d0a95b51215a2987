#include "process/ProcessRunner.h"

#include "platform/ExecutableFolder.h"
#include "process/ProcessTimer.h"
#include "process/RunnerThread.h"
#include "process/SanitizerHandOver.h"

#include <QFileInfo>
#include <cstdio>

TProcessRunner::TProcessRunner(QObject *AOwner)
    : QObject(AOwner)
    , FEnvironment(std::make_unique<TStringList>())
    , FLines(std::make_unique<TStringList>())
{}

TProcessRunner::~TProcessRunner()
{
    Stop();
    // A run still under way is left to end on its own. It keeps what it shares
    // with us alive (the timer) or only reaches it through calls posted to us,
    // which are dropped with this object; a call it waits for is released then.
    if (FThread) {
        FThread->DetachOwner();
        FThread = nullptr;
    }
    if (FTimer) {
        try {
            FTimer->Ending();
        } catch (const EProcessTimer &) {
            // Started on another thread; its entry is left behind, as on any failed kill.
        }
    }
    SanitizerHandOver::Release(FTimer.get()); // before our share of the timer goes
}

void TProcessRunner::Execute()
{
    if (FThread)
        throw EProcessRunner(QStringLiteral("ProcessRunner still running"));
    if (FCommandLine.isEmpty())
        throw EProcessRunner(QStringLiteral("No Commandline to execute"));
    if (!FTimer)
        FTimer = std::make_shared<TProcessTimer>();
    FLines->Clear();
    FTimer->Beginning();
    FDecoder.Reset();
    FThread = new TRunnerThread(
        this, FCommandLine, FCurrentDir, FLines.get(), FOutputLines, FTimer, FMaxTimeAfterBeginning,
        FMaxTimeAfterLastOutput, FOnNewLine, FOnNewChar, [this](TRunnerThread *Sender) { WorkerFinished(Sender); },
        FOnTerminateProcess, FPriority, FInputToOutput, FEnvironment.get(),
        [this](QObject *ASender, const QByteArray &ABuf) { return DecodeOutput(ASender, ABuf); },
        [this](QObject *ASender, const QString &AChars, QByteArray &AOutBuf) {
            EncodeInput(ASender, AChars, AOutBuf);
        });
}

void TProcessRunner::Stop()
{
    if (FThread)
        FThread->Terminate();
}

void TProcessRunner::SendLine(const QString &AValue, bool AEol)
{
    if (!FThread)
        throw EProcessRunner(QStringLiteral("ProcessRunner not running"));
    FThread->InputLines().Add((AEol ? QStringLiteral("_") : QStringLiteral(" ")) + AValue);
}

QString TProcessRunner::DecodeOutput(QObject *, const QByteArray &ABuf)
{
    if (FOnCharDecoding)
        return FOnCharDecoding(this, ABuf);
    if (ABuf.size() < 1)
        return QString();
    return FDecoder.Decode(ABuf);
}

QString TProcessRunner::DecodeOutputRest()
{
    return FDecoder.Finish();
}

void TProcessRunner::EncodeInput(QObject *, const QString &AChars, QByteArray &AOutBuf)
{
    if (FOnCharEncoding)
        FOnCharEncoding(this, AChars, AOutBuf);
    else if (!AChars.isEmpty())
        AOutBuf.append(Platform::EncodeSystem(AChars));
}

void TProcessRunner::SetOnCharDecoding(TCharDecoding AValue)
{
    if (IsRunning())
        throw EProcessRunner(QStringLiteral("ProcessRunner still running"));
    FOnCharDecoding = std::move(AValue);
}

void TProcessRunner::SetOnCharEncoding(TCharEncoding AValue)
{
    if (IsRunning())
        throw EProcessRunner(QStringLiteral("ProcessRunner still running"));
    FOnCharEncoding = std::move(AValue);
}

void TProcessRunner::WorkerFinished(TRunnerThread *Sender)
{
    FExitCode = Sender->ExitCode();
    CallHandler([this] { FTimer->Ending(); });
    FThread = nullptr;
    if (const std::exception_ptr fatal = Sender->FatalException()) {
        try {
            std::rethrow_exception(fatal);
        } catch (const std::exception &AE) {
            ReportExecuteError(AE);
        } catch (...) {
            ReportExecuteError(std::runtime_error("Unknown exception"));
        }
    }
    if (FOnTerminated)
        CallHandler([this] { FOnTerminated(this); });
}

void TProcessRunner::ReportExecuteError(const std::exception &AE)
{
    if (!FonExecuteError) {
        ShowExecuteError(AE);
        return;
    }
    CallHandler([&] {
        bool handled = false;
        FonExecuteError(this, AE, handled);
        if (!handled)
            ShowExecuteError(AE);
    });
}

namespace {

TProcessRunner::TErrorDisplay &ErrorDisplay()
{
    static TProcessRunner::TErrorDisplay display;
    return display;
}

} // namespace

void TProcessRunner::SetErrorDisplay(TErrorDisplay ADisplay)
{
    ErrorDisplay() = std::move(ADisplay);
}

void TProcessRunner::ShowExecuteError(const std::exception &E)
{
    const QString caption = QFileInfo(Platform::ExecutablePath()).fileName();
    const QString text = ExceptionClassName(E) + QLatin1Char('\n') + ExceptionMessage(E);
    if (ErrorDisplay())
        ErrorDisplay()(caption, text);
    else
        std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
}
