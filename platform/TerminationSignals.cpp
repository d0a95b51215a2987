#include "platform/TerminationSignals.h"

#include "platform/OSError.h"

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <unistd.h>

namespace Platform {

namespace {

std::atomic<int> SignalPipeWriteEnd{-1};

extern "C" void WriteSignalToPipe(int ASignal)
{
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(ASignal);
    // A full pipe drops the byte: enough signals are already waiting.
    [[maybe_unused]] const ssize_t written = write(SignalPipeWriteEnd.load(), &number, 1);
    errno = savedErrno;
}

bool IgnoredHangUp(int ASignal)
{
    struct sigaction current = {};
    return ASignal == SIGHUP && sigaction(ASignal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

} // namespace

TTerminationSignals::TTerminationSignals(std::initializer_list<int> ASignals)
{
    if (const int error = FPipe.Create())
        throw EOSError(error);
    SetNonBlocking(FPipe.ReadEnd());
    SetNonBlocking(FPipe.WriteEnd());
    SignalPipeWriteEnd.store(FPipe.WriteEnd());
    FNotifier = std::make_unique<QSocketNotifier>(FPipe.ReadEnd(), QSocketNotifier::Read);
    QObject::connect(FNotifier.get(), &QSocketNotifier::activated, [this] { ReadSignals(); });
    try {
        for (const int signal : ASignals)
            if (!IgnoredHangUp(signal))
                Install(signal);
    } catch (...) {
        RestoreReplaced();
        throw;
    }
}

TTerminationSignals::~TTerminationSignals()
{
    RestoreReplaced();
}

void TTerminationSignals::Install(int ASignal)
{
    struct sigaction action = {};
    action.sa_handler = WriteSignalToPipe;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    struct sigaction old = {};
    if (sigaction(ASignal, &action, &old) != 0)
        throw EOSError(errno);
    FReplaced.emplace_back(ASignal, old);
}

void TTerminationSignals::RestoreReplaced()
{
    for (const auto &[signal, old] : FReplaced)
        sigaction(signal, &old, nullptr);
    FReplaced.clear();
    SignalPipeWriteEnd.store(-1);
}

void TTerminationSignals::ReadSignals()
{
    unsigned char numbers[16];
    ssize_t count;
    while ((count = read(FPipe.ReadEnd(), numbers, sizeof numbers)) > 0)
        for (ssize_t i = 0; i < count; ++i)
            if (OnSignal)
                OnSignal(numbers[i]);
}

} // namespace Platform
