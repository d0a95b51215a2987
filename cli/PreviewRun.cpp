#include "cli/PreviewRun.h"

#include "cli/ConsoleText.h"

#include <QTimer>

namespace {

constexpr int ExitFailure = 1;
constexpr int ExitAfterSignal = 128;

} // namespace

TPreviewRun::TPreviewRun(const TCommandLineOptions &AOptions) : FOptions(AOptions)
{
    QObject::connect(&FPlayer, &TPreviewPlayer::Finished, &FLoop, [this] { FLoop.exit(0); });
    QObject::connect(&FPlayer, &TPreviewPlayer::Failed, &FLoop, [this](const QString &AReason) {
        PrintLine(stderr, QStringLiteral("Error: ") + AReason);
        FLoop.exit(ExitFailure);
    });
    FSignals.OnSignal = [this](int ASignal) {
        FPlayer.Stop();
        FLoop.exit(ExitAfterSignal + ASignal);
    };
}

int TPreviewRun::Run()
{
    QTimer::singleShot(0, &FLoop, [this] {
        FPlayer.Start(FOptions.ToolInput(0), {FOptions.EffectItem, FOptions.RatePosition, FOptions.TempoPosition});
    });
    const int status = FLoop.exec();
    FPlayer.Stop();
    return status;
}
