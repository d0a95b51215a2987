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

void Install(int ASignal, struct sigaction &AOld)
{
    struct sigaction action = {};
    action.sa_handler = WriteSignalToPipe;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (sigaction(ASignal, &action, &AOld) != 0)
        throw EOSError(errno);
}

} // namespace

TTerminationSignals::TTerminationSignals()
{
    if (const int error = FPipe.Create())
        throw EOSError(error);
    SetNonBlocking(FPipe.ReadEnd());
    SetNonBlocking(FPipe.WriteEnd());
    SignalPipeWriteEnd.store(FPipe.WriteEnd());
    FNotifier = std::make_unique<QSocketNotifier>(FPipe.ReadEnd(), QSocketNotifier::Read);
    QObject::connect(FNotifier.get(), &QSocketNotifier::activated, [this] { ReadSignals(); });
    Install(SIGINT, FOldInt);
    try {
        Install(SIGTERM, FOldTerm);
    } catch (...) {
        sigaction(SIGINT, &FOldInt, nullptr);
        throw;
    }
}

TTerminationSignals::~TTerminationSignals()
{
    sigaction(SIGINT, &FOldInt, nullptr);
    sigaction(SIGTERM, &FOldTerm, nullptr);
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
