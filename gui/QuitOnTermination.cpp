#include "gui/QuitOnTermination.h"

#include "platform/TerminationSignals.h"

#include <QCoreApplication>

namespace {

constexpr int SignalExitBase = 128;

} // namespace

TQuitOnTermination::TQuitOnTermination()
    : FSignals(std::make_unique<Platform::TTerminationSignals>())
{
    FSignals->OnSignal = [](int ASignal) { QCoreApplication::exit(SignalExitBase + ASignal); };
}

TQuitOnTermination::~TQuitOnTermination() = default;
