#include "gui/QuitOnTermination.h"

#include "platform/TerminationSignals.h"

#include <QCoreApplication>
#include <csignal>

namespace {

constexpr int SignalExitBase = 128;

} // namespace

TQuitOnTermination::TQuitOnTermination()
    : FSignals(std::make_unique<Platform::TTerminationSignals>(std::initializer_list<int>{SIGINT, SIGTERM, SIGHUP}))
{
    FSignals->OnSignal = [](int ASignal) { QCoreApplication::exit(SignalExitBase + ASignal); };
}

TQuitOnTermination::~TQuitOnTermination() = default;
