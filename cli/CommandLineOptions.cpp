#include "cli/CommandLineOptions.h"

#include "audio/LiveEffects.h"
#include "effects/EffectPresets.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

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

bool SameFile(const QString &A, const QString &B)
{
    const QFileInfo a(A), b(B);
    if (a.exists() && b.exists())
        return a.canonicalFilePath() == b.canonicalFilePath();
    return QDir::cleanPath(a.absoluteFilePath()) == QDir::cleanPath(b.absoluteFilePath());
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
    const QCommandLineOption listEffects(QStringLiteral("list-effects"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("V"), QStringLiteral("version")});
    const QCommandLineOption live(QStringLiteral("live"));
    const QCommandLineOption input(QStringLiteral("input"), QString(), QStringLiteral("source"));
    const QCommandLineOption to(QStringLiteral("to"), QString(), QStringLiteral("target"));
    parser.addOptions({effect, rate, tempo, output, format, printCommand, listEffects, help, version, live, input, to});
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

    options.Inputs = parser.positionalArguments();
    if (parser.isSet(live)) {
        if (!options.Inputs.isEmpty() || parser.isSet(output) || parser.isSet(format) || parser.isSet(printCommand))
            Refuse(QStringLiteral("--live takes no input files and saves nothing: it runs until Ctrl+C."));
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

void TCommandLineOptions::ResolveOutputs(const QString &AOutput, const QString &AFormat)
{
    if (AOutput.isEmpty())
        Refuse(QStringLiteral("The --output name is empty."));
    const QFileInfo target(AOutput);
    if (target.isDir()) {
        const QString format = AFormat.isEmpty() ? QStringLiteral("wav") : AFormat.toLower();
        if (format != QLatin1String("wav") && format != QLatin1String("mp3"))
            Refuse(Message("--format must be wav or mp3, not \"%1\".", AFormat));
        const QDir folder(target.absoluteFilePath());
        QSet<QString> taken;
        for (const QString &input : std::as_const(Inputs)) {
            const QString name =
                QFileInfo(input).completeBaseName() + QStringLiteral(" - ") + EffectItem + QLatin1Char('.') + format;
            const QString path = folder.filePath(name);
            if (taken.contains(path))
                Refuse(Message("Two inputs would be saved to the same file \"%1\".", path));
            for (const QString &other : std::as_const(Inputs))
                if (SameFile(path, other))
                    Refuse(Message("The output \"%1\" is an input itself; it would be lost.", path));
            taken.insert(path);
            Outputs.append(path);
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
    if (SameFile(AOutput, Inputs.first()))
        Refuse(Message("The output \"%1\" is the input itself; it would be lost.", AOutput));
    Outputs.append(target.absoluteFilePath());
}

QString TCommandLineOptions::UsageText(const QString &AProgram)
{
    return QStringLiteral(
               "Usage: %1 --effect NAME [--rate N] [--tempo N] [--output PATH [--format FMT]] INPUT...\n"
               "       %1 --effect NAME [--rate N] [--tempo N] --print-command INPUT...\n"
               "       %1 --live --effect NAME [--rate N] [--tempo N] [--input SOURCE] [--to speakers|mic]\n"
               "       %1 --list-effects | --help | --version\n"
               "       %1 [FILE...]\n"
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
               "      --print-command print the ffmpeg command line for each INPUT and run nothing\n"
               "      --live          apply the effect to the microphone live, until Ctrl+C or SIGTERM\n"
               "      --input SOURCE  --live: the sound server's input to listen to (default: its default)\n"
               "      --to TARGET     --live: speakers (default), or mic: the virtual microphone\n"
               "                      \"Tonara Microphone\" that other programs can record, gone at the end\n"
               "      --list-effects  print the effect names, one per line\n"
               "  -h, --help          print this help\n"
               "  -V, --version       print the version\n"
               "\n"
               "Each result is first written to a work file of this run's own in the user's data folder,\n"
               "which the next input's run replaces and which is deleted at the end.\n"
               "One line per INPUT: \"Complete: INPUT\", \"Error: INPUT\" or \"Aborted: INPUT\".\n"
               "Ctrl+C (SIGINT) or SIGTERM stops the running effect; the remaining inputs are not run.\n"
               "Exit status: 0 every INPUT complete, 1 an INPUT did not complete, 2 usage error,\n"
               "130 stopped by SIGINT, 143 stopped by SIGTERM.\n")
        .arg(AProgram);
}
