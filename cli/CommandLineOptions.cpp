#include "cli/CommandLineOptions.h"

#include "audio/LiveEffects.h"
#include "effects/BatchTargets.h"
#include "effects/EffectPresets.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

namespace {

constexpr int RateMaximum = 100;
constexpr int TempoMaximum = 200;

QString Message(const char *AText, const QString &AArgument)
{
    return QString::fromUtf8(AText).arg(AArgument);
}

[[noreturn]] void Refuse(const QString &AMessage)
{
    throw ECommandLineError(AMessage.toStdString());
}

// The saved file's format by its name: "wav" or "mp3", empty for anything else.
QString FormatOfFile(const QString &APath)
{
    const QString suffix = QFileInfo(APath).suffix().toLower();
    return suffix == QLatin1String("wav") || suffix == QLatin1String("mp3") ? suffix : QString();
}

} // namespace

TCommandLineOptions TCommandLineOptions::Parse(const QStringList &AArguments)
{
    QCommandLineParser parser;
    const QCommandLineOption effect(QStringList{QStringLiteral("e"), QStringLiteral("effect")}, QString(),
                                    QStringLiteral("name"));
    const QCommandLineOption rate(QStringList{QStringLiteral("r"), QStringLiteral("rate")}, QString(),
                                  QStringLiteral("n"));
    const QCommandLineOption tempo(QStringList{QStringLiteral("t"), QStringLiteral("tempo")}, QString(),
                                   QStringLiteral("n"));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")}, QString(),
                                    QStringLiteral("path"));
    const QCommandLineOption format(QStringList{QStringLiteral("f"), QStringLiteral("format")}, QString(),
                                    QStringLiteral("fmt"));
    const QCommandLineOption printCommand(QStringLiteral("print-command"));
    const QCommandLineOption jobs(QStringList{QStringLiteral("j"), QStringLiteral("jobs")}, QString(),
                                  QStringLiteral("n"));
    const QCommandLineOption preview(QStringLiteral("preview"));
    const QCommandLineOption listEffects(QStringLiteral("list-effects"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("V"), QStringLiteral("version")});
    const QCommandLineOption record(QStringLiteral("record"), QString(), QStringLiteral("seconds"));
    const QCommandLineOption device(QStringLiteral("device"), QString(), QStringLiteral("name"));
    const QCommandLineOption live(QStringLiteral("live"));
    const QCommandLineOption input(QStringLiteral("input"), QString(), QStringLiteral("source"));
    const QCommandLineOption to(QStringLiteral("to"), QString(), QStringLiteral("target"));
    parser.addOptions({effect, rate, tempo, output, format, printCommand, listEffects, help, version, jobs, preview,
                       record, device, live, input, to});
    // The parser wants a program name in front.
    if (!parser.parse(QStringList{QStringLiteral("tonara")} + AArguments))
        Refuse(parser.errorText());

    TCommandLineOptions options;
    if (parser.isSet(help)) {
        options.Action = TCommandLineAction::Help;
        return options;
    }
    if (parser.isSet(version)) {
        options.Action = TCommandLineAction::Version;
        return options;
    }
    if (parser.isSet(listEffects)) {
        options.Action = TCommandLineAction::ListEffects;
        return options;
    }

    if (parser.isSet(record)) {
        for (const QCommandLineOption &other : {effect, rate, tempo, format, printCommand})
            if (parser.isSet(other))
                Refuse(Message("--%1 does not go with --record.", other.names().constLast()));
        if (!parser.positionalArguments().isEmpty())
            Refuse(QStringLiteral("--record takes no input files."));
        options.DeviceName = parser.value(device);
        options.ParseRecord(parser.value(record), parser.value(output));
        return options;
    }
    if (parser.isSet(device))
        Refuse(QStringLiteral("--device goes with --record only."));
    if (!parser.isSet(effect))
        Refuse(QStringLiteral("No effect given: name one with --effect (see --list-effects)."));
    options.EffectItem = ParseEffect(parser.value(effect));
    const bool custom = options.EffectItem == QLatin1String(CustomEffectItem);
    if (!custom && (parser.isSet(rate) || parser.isSet(tempo)))
        Refuse(Message("--rate and --tempo apply only to the effect \"%1\".", QLatin1String(CustomEffectItem)));
    if (parser.isSet(rate))
        options.RatePosition = ParsePosition(QStringLiteral("--rate"), parser.value(rate), RateMaximum);
    if (parser.isSet(tempo))
        options.TempoPosition = ParsePosition(QStringLiteral("--tempo"), parser.value(tempo), TempoMaximum);

    if (parser.isSet(jobs))
        options.Jobs = ParseJobs(parser.value(jobs));

    options.Inputs = parser.positionalArguments();
    if (parser.isSet(live)) {
        for (const QCommandLineOption &other : {output, format, printCommand, preview, jobs})
            if (parser.isSet(other))
                Refuse(Message("--%1 does not go with --live.", other.names().constLast()));
        if (!options.Inputs.isEmpty())
            Refuse(QStringLiteral("--live takes no input files: it runs until Ctrl+C."));
        if (!RunsLive(options.EffectItem))
            Refuse(Message("\"%1\" needs the whole sound before it gives any: it cannot run live.",
                           options.EffectItem));
        options.Action = TCommandLineAction::Live;
        options.LiveInput = parser.value(input);
        options.LiveToMicrophone = parser.isSet(to) && ParseLiveTarget(parser.value(to));
        return options;
    }
    if (parser.isSet(input) || parser.isSet(to))
        Refuse(QStringLiteral("--input and --to apply only to --live."));
    if (options.Inputs.isEmpty())
        Refuse(QStringLiteral("No input file given."));
    for (const QString &input : std::as_const(options.Inputs))
        if (input.isEmpty())
            Refuse(QStringLiteral("An input file name is empty."));
    options.Action = parser.isSet(printCommand) ? TCommandLineAction::PrintCommand : TCommandLineAction::Run;
    if (parser.isSet(preview)) {
        if (parser.isSet(output) || parser.isSet(format) || parser.isSet(printCommand))
            Refuse(QStringLiteral("--preview saves nothing: it takes no --output, --format or --print-command."));
        if (options.Inputs.size() > 1)
            Refuse(QStringLiteral("--preview plays one INPUT."));
        options.Action = TCommandLineAction::Preview;
        return options;
    }

    if (parser.isSet(format) && !parser.isSet(output))
        Refuse(QStringLiteral("--format applies only to an --output folder."));
    if (parser.isSet(output))
        options.ResolveOutputs(parser.value(output), parser.value(format));
    return options;
}

bool TCommandLineOptions::ParseLiveTarget(const QString &AText)
{
    if (AText.compare(QLatin1String("mic"), Qt::CaseInsensitive) == 0)
        return true;
    if (AText.compare(QLatin1String("speakers"), Qt::CaseInsensitive) == 0)
        return false;
    Refuse(Message("--to must be speakers or mic, not \"%1\".", AText));
}

QString TCommandLineOptions::ToolInput(qsizetype AIndex) const
{
    return QFileInfo(Inputs.at(AIndex)).absoluteFilePath();
}

QString TCommandLineOptions::ParseEffect(const QString &AName)
{
    // The list's spelling is what the window shows; letter case is forgiven here.
    for (const TEffectPreset &preset : EffectPresets())
        if (AName.compare(QString::fromUtf8(preset.Item), Qt::CaseInsensitive) == 0)
            return QString::fromUtf8(preset.Item);
    Refuse(Message("Unknown effect \"%1\" (see --list-effects).", AName));
}

int TCommandLineOptions::ParsePosition(const QString &AName, const QString &AText, int AMaximum)
{
    static const QRegularExpression integer(QStringLiteral("^[+-]?[0-9]+$"));
    if (!integer.match(AText).hasMatch())
        Refuse(QStringLiteral("%1 wants a whole number from 1 to %2, not \"%3\".").arg(AName).arg(AMaximum).arg(AText));
    bool ok = false;
    const qlonglong value = AText.toLongLong(&ok);
    if (!ok || value < 1 || value > AMaximum)
        Refuse(QStringLiteral("%1 must be from 1 to %2, not %3.").arg(AName).arg(AMaximum).arg(AText));
    return int(value);
}

int TCommandLineOptions::ParseJobs(const QString &AText)
{
    // 0 (every processor) is allowed here, unlike the sliders' positions.
    constexpr int JobsMaximum = 64;
    if (AText.trimmed() == QLatin1String("0"))
        return std::max(1, QThread::idealThreadCount());
    return ParsePosition(QStringLiteral("--jobs"), AText, JobsMaximum);
}

void TCommandLineOptions::ResolveOutputs(const QString &AOutput, const QString &AFormat)
{
    if (AOutput.isEmpty())
        Refuse(QStringLiteral("The --output name is empty."));
    const QFileInfo target(AOutput);
    if (target.isDir()) {
        const QString format = AFormat.isEmpty() ? QStringLiteral("wav") : AFormat.toLower();
        if (format != QLatin1String("wav") && format != QLatin1String("mp3"))
            Refuse(Message("--format must be wav or mp3, not \"%1\".", AFormat));
        try {
            Outputs = BatchTargets(Inputs, EffectItem, target.absoluteFilePath(), format);
        } catch (const std::runtime_error &error) {
            Refuse(QString::fromUtf8(error.what()));
        }
        return;
    }
    if (AOutput.endsWith(QLatin1Char('/')))
        Refuse(Message("The output folder \"%1\" does not exist.", AOutput));
    if (!AFormat.isEmpty())
        Refuse(QStringLiteral("--format applies only to an --output folder; a file's name ends in .wav or .mp3."));
    if (FormatOfFile(AOutput).isEmpty())
        Refuse(Message("The output \"%1\" is neither an existing folder nor a file name ending in .wav or .mp3.",
                       AOutput));
    if (Inputs.size() > 1)
        Refuse(QStringLiteral("Several inputs cannot be saved to one file: give an existing folder as --output."));
    if (!target.absoluteDir().exists())
        Refuse(Message("The folder of the output \"%1\" does not exist.", AOutput));
    if (IsSameFile(AOutput, Inputs.first()))
        Refuse(Message("The output \"%1\" is the input itself; it would be lost.", AOutput));
    Outputs.append(target.absoluteFilePath());
}

void TCommandLineOptions::ParseRecord(const QString &ASeconds, const QString &AOutput)
{
    constexpr double MaxSeconds = 24 * 3600;
    bool ok = false;
    const double seconds = ASeconds.toDouble(&ok);
    if (!ok || !(seconds > 0) || seconds > MaxSeconds)
        Refuse(Message("--record wants a number of seconds above 0 and up to 86400, not \"%1\".", ASeconds));
    if (AOutput.isEmpty())
        Refuse(QStringLiteral("--record needs --output FILE.wav: where the recording goes."));
    const QFileInfo target(AOutput);
    if (target.suffix().toLower() != QLatin1String("wav") || target.isDir())
        Refuse(Message("The recording \"%1\" must be a file name ending in .wav.", AOutput));
    if (!target.absoluteDir().exists())
        Refuse(Message("The folder of the output \"%1\" does not exist.", AOutput));
    Action = TCommandLineAction::Record;
    RecordMs = qint64(seconds * 1000 + 0.5);
    Outputs = {target.absoluteFilePath()};
}

QString TCommandLineOptions::UsageText(const QString &AProgram)
{
    return QStringLiteral(
               "Usage: %1 --effect NAME [--rate N] [--tempo N] [--output PATH [--format FMT]] INPUT...\n"
               "   or: %1 --effect NAME [--rate N] [--tempo N] --print-command INPUT...\n"
               "   or: %1 --preview --effect NAME [--rate N] [--tempo N] INPUT\n"
               "   or: %1 --live --effect NAME [--rate N] [--tempo N] [--input SOURCE] [--to speakers|mic]\n"
               "   or: %1 --record SECONDS --output FILE.wav [--device NAME]\n"
               "   or: %1 --list-effects | --help | --version\n"
               "   or: %1 [FILE...]\n"
               "\n"
               "Without options Tonara opens its window, with each FILE (MP3 or WAV) in its list, the\n"
               "first one selected. With any option it runs without a window (the command-line mode)\n"
               "and applies a voice effect to each INPUT with ffmpeg, one after the other.\n"
               "\n"
               "Options:\n"
               "  -e, --effect NAME   the effect, as --list-effects prints it (letter case does not matter)\n"
               "  -r, --rate N        \"Custom\" only: Rate slider position, 1 to 100 (default 10: rate x1)\n"
               "  -t, --tempo N       \"Custom\" only: Tempo slider position, 1 to 200 (default 2: tempo x1)\n"
               "  -o, --output PATH   save each result: PATH ending in .wav (a copy) or .mp3 (converted)\n"
               "                      for a single INPUT, or an existing folder that receives\n"
               "                      \"INPUT's name - EFFECT.wav\" for each INPUT; existing files are replaced\n"
               "  -f, --format FMT    wav or mp3: format of the files saved into an --output folder (default wav)\n"
               "  -j, --jobs N        run up to N INPUTs at once (default 1; 0: one per processor); the\n"
               "                      lines below still come in the order of the INPUTs\n"
               "      --print-command  print the ffmpeg command line for each INPUT and run nothing\n"
               "      --preview       play the effect on INPUT to the default sound output while it is\n"
               "                      computed, until its end or Ctrl+C; no file is written\n"
               "      --live          apply the effect to the microphone live, until Ctrl+C or SIGTERM\n"
               "      --input SOURCE  --live: the sound server's input to listen to (default: its default)\n"
               "      --to TARGET     --live: speakers (default), or mic: the virtual microphone\n"
               "                      \"Tonara Microphone\" that other programs can record, gone at the end\n"
               "      --list-effects  print the effect names, one per line\n"
               "      --record SECONDS  record the default audio input (or --device NAME, a name or id)\n"
               "                      for SECONDS into --output FILE.wav (16-bit PCM, replaced if it\n"
               "                      exists); Ctrl+C or SIGTERM ends it early, keeping what was recorded\n"
               "  -h, --help          print this help\n"
               "  -V, --version       print the version\n"
               "\n"
               "Each result is first written to a work file of this run's own in the user's data folder,\n"
               "which the next input's run replaces and which is deleted at the end.\n"
               "One line per INPUT: \"Complete: INPUT\", \"Error: INPUT\" or \"Aborted: INPUT\".\n"
               "Ctrl+C (SIGINT) or SIGTERM stops the running effects and saves none of them; the remaining\n"
               "inputs are not run.\n"
               "Exit status: 0 every INPUT complete, 1 an INPUT did not complete, 2 usage error,\n"
               "130 stopped by SIGINT, 143 stopped by SIGTERM.\n")
        .arg(AProgram);
}
