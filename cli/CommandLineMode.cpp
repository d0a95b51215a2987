#include "cli/CommandLineMode.h"

#include "audio/RecordingPlace.h"
#include "cli/BatchRunner.h"
#include "cli/CommandLineOptions.h"
#include "cli/ConsoleText.h"
#include "cli/LiveMode.h"
#include "cli/PreviewRun.h"
#include "cli/RecordingRun.h"
#include "effects/EffectPresets.h"
#include "effects/SaveTarget.h"
#include "identity/AppIdentity.h"
#include "platform/ExecutableFolder.h"
#include "platform/FileName.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <stdexcept>

namespace {

constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

int ListEffects()
{
    for (const TEffectPreset &preset : EffectPresets())
        PrintLine(stdout, QString::fromUtf8(preset.Item));
    return 0;
}

int PrintVersion()
{
    ReadAppIdentity(Platform::ExecutablePath());
    PrintLine(stdout, AppProductName + QLatin1Char(' ') + AppVersion);
    return 0;
}

int PrintCommands(const TCommandLineOptions &AOptions)
{
    for (qsizetype i = 0; i < AOptions.Inputs.size(); ++i)
        PrintLine(stdout, BuildEffectCommand(AOptions.ToolInput(i), AOptions.EffectItem, AOptions.RatePosition,
                                             AOptions.TempoPosition));
    return 0;
}

// The work file lives in the same data folder as the window's.
void SetUpIdentity()
{
    ReadAppIdentity(Platform::ExecutablePath());
    CreateAppDataFolder();
}

// Before any input is run: a place that cannot take a result is no reason to work.
void RefuseSpecialTargets(const QStringList &ATargets)
{
    for (const QString &target : ATargets) {
        const QString refusal = SaveTargetRefusal(target);
        if (!refusal.isEmpty())
            throw std::runtime_error(refusal.toStdString());
    }
}

int Carry(const TCommandLineOptions &AOptions, const QString &AProgram)
{
    switch (AOptions.Action) {
    case TCommandLineAction::Help:
        std::fputs(TCommandLineOptions::UsageText(AProgram).toUtf8().constData(), stdout);
        return 0;
    case TCommandLineAction::Version:
        return PrintVersion();
    case TCommandLineAction::ListEffects:
        return ListEffects();
    case TCommandLineAction::PrintCommand:
        SetUpIdentity();
        return PrintCommands(AOptions);
    case TCommandLineAction::Run:
        RefuseSpecialTargets(AOptions.Outputs);
        SetUpIdentity();
        // A window or another batch may be running meanwhile.
        UseOwnWorkFile();
        return TBatchRunner(AOptions).Run();
    case TCommandLineAction::Preview:
        return TPreviewRun(AOptions).Run();
    case TCommandLineAction::Record:
        SetUpIdentity();
        TRecordingPlace::RepairLeftovers();
        return TRecordingRun(AOptions).Run();
    case TCommandLineAction::Live:
        return RunLiveMode(AOptions);
    }
    return ExitFailure;
}

} // namespace

int RunCommandLine(int argc, char *argv[])
{
    // File names as their bytes: Qt's own list turns bytes that are not UTF-8 into U+FFFD.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << Platform::DecodeFileName(argv[i]);
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tonara"));
    const QString program = QFileInfo(arguments.value(0)).fileName();
    TCommandLineOptions options;
    try {
        options = TCommandLineOptions::Parse(arguments.mid(1));
    } catch (const ECommandLineError &error) {
        PrintLine(stderr, program + QStringLiteral(": ") + QString::fromUtf8(error.what()));
        PrintLine(stderr, QStringLiteral("Try '%1 --help' for more information.").arg(program));
        return ExitUsage;
    }
    try {
        return Carry(options, program);
    } catch (const std::exception &error) {
        PrintLine(stderr, program + QStringLiteral(": ") + QString::fromUtf8(error.what()));
        return ExitFailure;
    }
}
