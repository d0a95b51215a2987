#include "cli/RecordingRun.h"

#include "audio/VoiceRecorder.h"
#include "cli/ConsoleText.h"

#include <QFileInfo>

namespace {

constexpr int ExitFailure = 1;

} // namespace

TRecordingRun::TRecordingRun(const TCommandLineOptions &AOptions)
    : FOptions(AOptions)
{}

int TRecordingRun::Run()
{
    TVoiceRecorder recorder;
    const QAudioDevice device = FOptions.DeviceName.isEmpty() ? TVoiceRecorder::InputDevices().value(0)
                                                              : TVoiceRecorder::FindInput(FOptions.DeviceName);
    if (device.isNull() && !FOptions.DeviceName.isEmpty()) {
        QStringList names;
        for (const QAudioDevice &input : TVoiceRecorder::InputDevices())
            names << QStringLiteral("  ") + input.description() + QStringLiteral(" (") + QString::fromUtf8(input.id())
                         + QLatin1Char(')');
        PrintLine(stderr,
                  QStringLiteral("Error: there is no audio input \"%1\". The inputs are:\n%2")
                      .arg(FOptions.DeviceName, names.isEmpty() ? QStringLiteral("  (none)") : names.join('\n')));
        return ExitFailure;
    }
    recorder.SetLengthLimitMs(FOptions.RecordMs);
    if (!recorder.Start(device, FOptions.Outputs.constFirst(), true)) {
        PrintLine(stderr, QStringLiteral("Error: ") + recorder.ErrorText());
        return ExitFailure;
    }
    PrintLine(stderr, QStringLiteral("Recording from \"%1\" into %2 (Ctrl+C ends it)")
                          .arg(device.description(), recorder.FilePath()));
    FSignals.OnSignal = [&recorder](int) { recorder.Stop(); };
    QObject::connect(&recorder, &TVoiceRecorder::Finished, &FLoop, &QEventLoop::quit);
    FLoop.exec();
    return Report(recorder);
}

int TRecordingRun::Report(const TVoiceRecorder &ARecorder)
{
    if (!ARecorder.ErrorText().isEmpty())
        PrintLine(stderr, QStringLiteral("Error: ") + ARecorder.ErrorText());
    if (!QFileInfo::exists(ARecorder.FilePath()))
        return ExitFailure;
    PrintLine(
        stdout,
        QStringLiteral("Recorded: %1 (%2 s)").arg(ARecorder.FilePath()).arg(ARecorder.ElapsedMs() / 1000.0, 0, 'f', 1));
    return ARecorder.ErrorText().isEmpty() ? 0 : ExitFailure;
}
