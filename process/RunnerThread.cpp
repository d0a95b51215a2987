#include "process/RunnerThread.h"

#include "platform/Pipe.h"
#include "platform/PriorityClass.h"
#include "platform/SystemErrorText.h"
#include "platform/WaitForAny.h"
#include "process/ProcessErrors.h"
#include "process/ProcessRunner.h"
#include "process/ProcessTimer.h"
#include "process/ReadPipe.h"
#include "process/RunEvents.h"
#include "process/SanitizerHandOver.h"
#include "process/StringList.h"

#include <cerrno>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <mutex>
#include <semaphore>
#include <thread>

std::atomic<int> TRunnerThread::FLiveCount{0};

namespace {

// How long the worker waits for a child it has killed.
constexpr int KilledChildWaitMs = 1000;

} // namespace

template <class F> void TRunnerThread::Post(F &&AFunction)
{
    FCalls->Post(std::forward<F>(AFunction));
}

template <class F> bool TRunnerThread::Send(F &&AFunction)
{
    struct TDone
    {
        std::binary_semaphore Semaphore{0};
        std::atomic<bool> Ran{false};
    };
    // The call's last copy releases the worker when it is destroyed: after it
    // ran, or when it was dropped unrun together with the component.
    struct TRelease
    {
        std::shared_ptr<TDone> Done;
        ~TRelease()
        {
            SanitizerHandOver::Release(Done.get());
            Done->Semaphore.release();
        }
    };
    const auto done = std::make_shared<TDone>();
    {
        const std::shared_ptr<TRelease> release(new TRelease{done});
        Post([release, function = std::forward<F>(AFunction)]() mutable {
            function();
            release->Done->Ran = true;
        });
    }
    FCalls->Flush(); // after everything posted before it; dropped at once when detached
    done->Semaphore.acquire();
    SanitizerHandOver::Acquire(done.get());
    return done->Ran;
}

TRunnerThread::TRunnerThread(TProcessRunner *AOwner, const QString &ACl, const QString &ACurrDir, TStringList *ALines,
                             TStrings *AOl, std::shared_ptr<TProcessTimer> ATimer, qint32 AMtab, qint32 AMtalo,
                             TNewLineEvent AOnl, TNewCharEvent AOnc, TFinishedEvent Ot, TTerminateProcessEvent AOtp,
                             qint32 Ap, bool Aito, const TStrings *AEnv, TCharDecoding AOnCharDecoding,
                             TCharEncoding AOnCharEncoding)
    : FCommandLine(ACl)
    , FCurrentDir(ACurrDir)
    , FEnvironment(AEnv ? AEnv->ToStringList() : QStringList())
    , FInputLines(std::make_unique<TInputLines>())
    , FInputToOutput(Aito)
    , FMaxTimeAfterBeginning(AMtab)
    , FMaxTimeAfterLastOutput(AMtalo)
    , FOnCharDecoding(std::move(AOnCharDecoding))
    , FOnCharEncoding(std::move(AOnCharEncoding))
    , FOnTerminateProcess(std::move(AOtp))
    , FOnFinished(std::move(Ot))
    , FOwner(AOwner)
    , FEvents(std::make_shared<TRunEvents>(AOwner, ALines, AOl, std::move(AOnl), std::move(AOnc)))
    , FCalls(std::make_shared<TCallQueue>(AOwner, FEvents))
    , FPriority(Ap)
    , FTimer(std::move(ATimer))
{
    ++FLiveCount;
    moveToThread(nullptr); // used from three threads, never by an event loop
    SetEndStatus(esStill_Active);
    std::thread([this] { ThreadMain(); }).detach();
}

TRunnerThread::~TRunnerThread()
{
    // Before the worker's shares of the queue and the timer go.
    SanitizerHandOver::Release(FCalls.get());
    SanitizerHandOver::Release(FTimer.get());
}

int TRunnerThread::LiveCount()
{
    return FLiveCount;
}

void TRunnerThread::Terminate()
{
    FTerminated = true;
    FTerminateEvent.Set();
}

void TRunnerThread::DetachOwner()
{
    {
        std::unique_lock lock(FOwnerLock);
        FOwner = nullptr;
    }
    // Last, and through a copy: dropping our calls may release the worker
    // waiting for its end notification, and it frees itself at once.
    const std::shared_ptr<TCallQueue> calls = FCalls;
    calls->Detach();
}

void TRunnerThread::ThreadMain()
{
    // Asked to end before the body began: no pipes, no child, no reader, and
    // the run counts as stopped.
    if (FTerminated)
        SetEndStatus(esStop);
    else
        Execute();
    Send([this] {
        if (FOnFinished)
            FOnFinished(this);
    });
    delete this;
    --FLiveCount; // only now, when nothing of the worker is left
}

void TRunnerThread::SetEndStatus(TEndStatus AValue)
{
    std::shared_lock lock(FOwnerLock);
    if (FOwner)
        FOwner->FEndStatus.exchange(AValue);
}

void TRunnerThread::Execute()
{
    Platform::TPipe outPipe;
    Platform::TPipe inPipe;
    try {
        int error = outPipe.Create();
        if (error == 0)
            error = inPipe.Create();
        if (error != 0)
            throw ECreatePipeError(QStringLiteral("Error creating Pipe: %1").arg(Platform::SystemErrorText(error)));
        Platform::TChildOptions options;
        options.StdIn = inPipe.ReadEnd();
        options.StdOut = options.StdErr = outPipe.WriteEnd(); // output and error merged
        options.WorkingFolder = FCurrentDir;
        options.ExtraEnvironment = FEnvironment;
        options.NiceValue = Platform::NiceValueOfPriorityClass(FPriority);
        error = FChild.Start(FCommandLine, options);
        if (error != 0)
            throw ECreateProcessError(QStringLiteral("Error creating Process: %1 - (%2)")
                                          .arg(FCommandLine, Platform::SystemErrorText(error)));
        FProcessInformation = {FChild.PidFd(), 0, FChild.Pid(), FChild.Pid()};
        Post([owner = FEvents->Owner(), info = FProcessInformation] { owner->FProcessInformation = info; });
        outPipe.CloseWrite(); // the child's ends
        inPipe.CloseRead();
        Platform::SetNonBlocking(outPipe.ReadEnd());
        Platform::SetNonBlocking(inPipe.WriteEnd());
        FParentWrite = inPipe.WriteEnd();
        FReader = std::make_unique<TReadPipe>(
            outPipe.ReadEnd(), [this](QObject *ASender, const QByteArray &ABuf) { return DecodeChunk(ASender, ABuf); });
        FLast.clear();
        FPartial = false;
        FExitCode = FChild.TryReap() ? quint32(FChild.ExitCode()) : STILL_ACTIVE;
        WaitLoop();
        EndOfRun();
    } catch (...) {
        FFatalException = std::current_exception();
    }
    // Whichever way the run went: the reader ends, a killed child is waited
    // for, the child is reaped (now or, if it still runs, when it ends) and
    // every descriptor is closed.
    FReader.reset();
    if (FCanTerminate)
        FChild.WaitForEnd(KilledChildWaitMs);
    if (FChild.Started())
        FExitCode = FChild.TryReap() ? quint32(FChild.ExitCode()) : STILL_ACTIVE;
    FChild.Close();
    FParentWrite = -1;
    if (FFatalException)
        SetEndStatus(esError);
}

void TRunnerThread::WaitLoop()
{
    for (;;) {
        FCalls->Flush(); // what this wake-up produced goes to the component in one hand-over
        // While the component's thread is behind, its catching up takes the
        // place of the output: nothing more is taken until it has.
        const bool heldBack = FCalls->Full();
        const int output = heldBack ? FCalls->Room().Fd() : FReader->Event().Fd();
        switch (Platform::WaitForAny(
            {output, FInputLines->Event().Fd(), FChild.PidFd(), FTerminateEvent.Fd(), FTimer->Event().Fd()})) {
        case 0:
            if (!heldBack)
                ReadOutput();
            break;
        case 1:
            FInputLines->Event().Consume();
            if (FInputLines->Count() > 0 && !FTerminated)
                DoSendLine();
            if (FInputLines->Count() > 0)
                FInputLines->Event().Set(); // one line per wake-up
            break;
        case 2:
            if (FChild.TryReap())
                FExitCode = quint32(FChild.ExitCode());
            break;
        case 4:
            FTimer->Event().Consume();
            break;
        default:
            break;
        }
        // The child's end is known from the pidfd, never guessed from its
        // exit code, so a code that equals STILL_ACTIVE cannot keep the run alive.
        if (FTerminated || FChild.HasEnded())
            return;
        if (FMaxTimeAfterBeginning > 0 && FTimer->SinceBeginning() > FMaxTimeAfterBeginning)
            return;
        if (LastOutputTooLongAgo(heldBack))
            return;
    }
}

// Assembles what the reader has, batch by batch, until it has no more or the
// component's thread is a full queue behind. Text left then waits for the
// next turn, which the reader's event, set again, asks for.
void TRunnerThread::ReadOutput()
{
    FReader->Event().Consume();
    while (FReader->ReadString().Length() > 0) {
        if (FCalls->Full()) {
            FReader->Event().Set();
            return;
        }
        DoReadLine();
        FCalls->Flush();
    }
}

// A child whose output waits for us because we are held back is not silent,
// so the limit after the last output is not looked at then.
bool TRunnerThread::LastOutputTooLongAgo(bool AHeldBack)
{
    return !AHeldBack && FMaxTimeAfterLastOutput > 0 && FTimer->SinceLastOutput() > FMaxTimeAfterLastOutput;
}

void TRunnerThread::EndOfRun()
{
    if (FChild.HasEnded()) {
        SetEndStatus(esProcess);
        FCanTerminate = false;
    } else {
        FCanTerminate = true;
        SetEndStatus(FTerminated ? esStop : esTime);
        DoTerminateProcess();
        if (FCanTerminate)
            FChild.WaitForEnd(KilledChildWaitMs);
    }
    ReadRest();
    FlushLastLine();
}

// Everything the child wrote before it ended is still reported: the reader
// reads what the pipe holds, then the buffer is assembled to its end.
void TRunnerThread::ReadRest()
{
    FReader->Terminate();
    FReader->WaitFor();
    FReader->ReadString().Add(DecodeRest());
    while (FReader->ReadString().Length() > 0)
        DoReadLine();
}

void TRunnerThread::DoReadLine()
{
    const QString batch = FReader->Take();
    if (batch.isEmpty())
        return;
    QString line = FLast;
    const QChar *chars = batch.constData();
    const qsizetype count = batch.size();
    for (qsizetype i = 0; i < count;) {
        // Ordinary characters up to the next NUL or line end join the line in one piece.
        const qsizetype stop = OrdinaryRunEnd(chars, i, count);
        if (!DoNewChars(chars + i, stop - i))
            return;
        if (stop > i) {
            // A line begun in this batch gets a buffer of its exact size.
            if (line.isEmpty())
                line = QString(chars + i, stop - i);
            else
                line.append(chars + i, stop - i);
            FAfterCR = false;
        }
        if (stop == count)
            break;
        if (!DoNewChars(chars + stop, 1))
            return;
        const char16_t u = chars[stop].unicode();
        const bool pairedLF = u == u'\n' && FAfterCR;
        FAfterCR = u == u'\r';
        if (u != 0 && !pairedLF)
            DoLineEnd(line);
        i = stop + 1;
    }
    FLast = line;
    if (!FLast.isEmpty()) {
        PostOutputLine(FLast, FPartial);
        DoNewLine(FLast, otBeginningOfLine);
        FPartial = true;
    }
}

// Where the run of characters from AStart that are neither NUL nor a line end stops.
qsizetype TRunnerThread::OrdinaryRunEnd(const QChar *AChars, qsizetype AStart, qsizetype ACount)
{
    qsizetype i = AStart;
    for (;;) {
        i = SkipAboveCR(AChars, i, ACount);
        if (i == ACount)
            return i;
        const char16_t u = AChars[i].unicode();
        if (u == 0 || u == u'\r' || u == u'\n')
            return i;
        ++i; // a control character below CR that ends nothing (a tab, a form feed)
    }
}

// Skips the characters above CR, eight at a time where the processor allows:
// NUL, LF and CR are all at most CR, and most output is far above it.
qsizetype TRunnerThread::SkipAboveCR(const QChar *AChars, qsizetype AStart, qsizetype ACount)
{
    qsizetype i = AStart;
#if defined(__SSE2__)
    const __m128i firstAbove = _mm_set1_epi16(short(u'\r' + 1));
    const __m128i zero = _mm_setzero_si128();
    for (; i + 8 <= ACount; i += 8) {
        const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i *>(AChars + i));
        // Non-zero exactly in the lanes at or below CR (unsigned saturation).
        const __m128i atOrBelow = _mm_subs_epu16(firstAbove, chars);
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(atOrBelow, zero)) != 0xFFFF)
            break;
    }
#endif
    while (i < ACount && AChars[i].unicode() > u'\r')
        ++i;
    return i;
}

// Reports each of the characters to OnNewChar; false when the worker has been
// asked to terminate before one of them (the rest of the batch is dropped).
bool TRunnerThread::DoNewChars(const QChar *AChars, qsizetype ACount)
{
    if (FTerminated)
        return false;
    if (!FEvents->HasOnNewChar())
        return true;
    for (qsizetype i = 0; i < ACount; ++i) {
        if (FTerminated)
            return false;
        DoNewChar(AChars[i]);
    }
    return true;
}

void TRunnerThread::DoLineEnd(QString &ALine)
{
    FTimer->NewOutput();
    DoEntireLine(std::move(ALine));
    ALine = QString();
}

// Lines, OutputLines (in place of the growing line it completes) and
// OnNewLine receive the line, in one call.
void TRunnerThread::DoEntireLine(QString AStr)
{
    FCalls->Post({&TRunEvents::EntireLine, FEvents.get(), std::move(AStr), FPartial});
    if (FEvents->HasOutputLines())
        FPartial = false;
}

void TRunnerThread::DoNewChar(QChar AChar)
{
    if (FEvents->HasOnNewChar())
        FCalls->Post({&TRunEvents::NewChar, FEvents.get(), QString(), AChar.unicode()});
}

void TRunnerThread::DoNewLine(const QString &AStr, TOutputType AOutputType)
{
    if (FEvents->HasOnNewLine())
        FCalls->Post({&TRunEvents::NewLine, FEvents.get(), AStr, AOutputType});
}

void TRunnerThread::PostOutputLine(const QString &AText, bool AReplaceLast)
{
    if (FEvents->HasOutputLines())
        FCalls->Post({&TRunEvents::OutputLine, FEvents.get(), AText, AReplaceLast});
}

// The incomplete last line becomes an entire line at the end of the run.
void TRunnerThread::FlushLastLine()
{
    if (!FLast.isEmpty())
        DoEntireLine(FLast);
}

void TRunnerThread::DoSendLine()
{
    QString sSends = FInputLines->Strings(0);
    if (sSends.startsWith(QLatin1Char('_')))
        sSends += QStringLiteral("\r\n");
    sSends.remove(0, 1);
    if (sSends.isEmpty()) {
        FInputLines->Delete(0);
        return;
    }
    QByteArray bytes;
    {
        std::shared_lock lock(FOwnerLock);
        if (FOwner && FOnCharEncoding)
            FOnCharEncoding(this, sSends, bytes);
    }
    const int error = Platform::WriteAll(FParentWrite, bytes, FTerminateEvent.Fd());
    // ECANCELED: a stop came while the child would not read. EPIPE: the child
    // closed its input, so nobody will read the line; that is the child's
    // choice, not a fault of the run.
    if (error != 0 && error != ECANCELED && error != EPIPE)
        throw EAssertionFailed();
    if (FInputToOutput) {
        const QString echo = FLast + sSends;
        PostOutputLine(echo, FPartial);
        FPartial = false;
        DoNewLine(echo, otEntireLine);
        FLast.clear();
    }
    FInputLines->Delete(0);
}

void TRunnerThread::DoTerminateProcess()
{
    FCanTerminate = true;
    if (FOnTerminateProcess)
        Send([this, owner = FEvents->Owner()] {
            owner->CallHandler([&] { FOnTerminateProcess(owner, FCanTerminate); });
        });
    if (FCanTerminate)
        FChild.Kill();
}

QString TRunnerThread::DecodeChunk(QObject *, const QByteArray &ABuf)
{
    std::shared_lock lock(FOwnerLock);
    return FOwner && FOnCharDecoding ? FOnCharDecoding(this, ABuf) : QString();
}

QString TRunnerThread::DecodeRest()
{
    std::shared_lock lock(FOwnerLock);
    return FOwner ? FOwner->DecodeOutputRest() : QString();
}
