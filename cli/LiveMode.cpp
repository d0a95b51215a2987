#include "cli/LiveMode.h"

#include "audio/LiveSession.h"
#include "cli/CommandLineOptions.h"
#include "cli/ConsoleText.h"
#include "platform/TerminationSignals.h"

#include <QEventLoop>

namespace {

constexpr int ExitFailure = 1;
constexpr int ExitAfterSignal = 128;

} // namespace

int RunLiveMode(const TCommandLineOptions &AOptions)
{
    TLiveSession session;
    QEventLoop loop;
    Platform::TTerminationSignals stopSignals;
    stopSignals.OnSignal = [&loop](int ASignal) { loop.exit(ExitAfterSignal + ASignal); };
    QObject::connect(&session, &TLiveSession::Stopped, &loop, [&loop](const QString &AMessage) {
        PrintLine(stderr, AMessage);
        loop.exit(ExitFailure);
    });
    TLiveSettings settings;
    settings.Input = AOptions.LiveInput;
    settings.Effect = AOptions.EffectItem;
    settings.RatePosition = AOptions.RatePosition;
    settings.TempoPosition = AOptions.TempoPosition;
    settings.ToMicrophone = AOptions.LiveToMicrophone;
    // Raises with the message for the user; nothing was changed then.
    session.Start(settings);
    PrintLine(stdout, QStringLiteral("Live: %1 from \"%2\" to %3. Ctrl+C stops.")
                          .arg(settings.Effect, session.Input(),
                               settings.ToMicrophone ? QStringLiteral("\"Tonara Microphone\"")
                                                     : QStringLiteral("the speakers")));
    const int code = loop.exec();
    // The virtual microphone goes before the exit code is returned.
    session.Stop();
    return code;
}
