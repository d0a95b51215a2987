// The command-line mode of the real tonara executable, with the real ffmpeg,
// on short sounds the tests generate in folders whose names carry blanks,
// quotes, '$' and non-ASCII letters.

#include "effects/EffectPresets.h"
#include "effects/SoundFileHasSamples.h"
#include "identity/AppIdentity.h"
#include "platform/CommandLine.h"
#include "platform/RestartScript.h"
#include "support/CaseName.h"
#include "support/SoundInputs.h"
#include "support/WaitFor.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include "support/QtPrinters.h"

namespace {

// A name no shell and no command-line split may touch.
const QString AwkwardName = QStringLiteral("it's \"a\" $HOME & ü");

struct TToolResult
{
    int ExitCode = -1;
    QString Out;
    QString Err;
};

TToolResult RunProgram(QProcess &AProcess, const QString &AProgram, const QStringList &AArguments, int ATimeoutMs)
{
    AProcess.start(AProgram, AArguments);
    if (!AProcess.waitForFinished(ATimeoutMs)) {
        AProcess.kill();
        AProcess.waitForFinished();
        return {-1, QString(), QStringLiteral("timed out")};
    }
    return {AProcess.exitStatus() == QProcess::NormalExit ? AProcess.exitCode() : -1,
            QString::fromUtf8(AProcess.readAllStandardOutput()), QString::fromUtf8(AProcess.readAllStandardError())};
}

// The process ids of the children of APid, over all of its threads.
QList<qint64> ChildrenOf(qint64 APid)
{
    QList<qint64> children;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(APid));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile file(tasks.filePath(task + QStringLiteral("/children")));
        if (file.open(QIODevice::ReadOnly))
            for (const QByteArray &pid : file.readAll().split(' '))
                if (!pid.trimmed().isEmpty())
                    children.append(pid.trimmed().toLongLong());
    }
    return children;
}

class CommandLineMode : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        Inputs = new QTemporaryDir;
        ASSERT_TRUE(Inputs->isValid());
        ASSERT_TRUE(QDir(Inputs->path()).mkdir(AwkwardName));
        ASSERT_TRUE(SoundInputs::Make(Input(QStringLiteral("tone.wav")), 2));
        ASSERT_TRUE(SoundInputs::Make(Input(QStringLiteral("voice.mp3")), 2));
        ASSERT_TRUE(SoundInputs::Make(Input(AwkwardName + QStringLiteral(".wav")), 2));
        ASSERT_TRUE(SoundInputs::Make(Input(QStringLiteral("long.wav")), 20));
    }

    static void TearDownTestSuite()
    {
        delete Inputs;
        Inputs = nullptr;
    }

    // An input sound, in a folder whose name is awkward too.
    static QString Input(const QString &AName) { return Inputs->filePath(AwkwardName + QLatin1Char('/') + AName); }

    QString DataFolder() const { return FHome.filePath(QStringLiteral("data/Quillaby/Tonara/")); }
    QString WorkFileHere() const { return DataFolder() + QStringLiteral("output.wav"); }
    QString Out(const QString &AName) const { return FHome.filePath(QStringLiteral("out/") + AName); }

    void SetUp() override
    {
        ASSERT_TRUE(FHome.isValid());
        ASSERT_TRUE(QDir(FHome.path()).mkdir(QStringLiteral("out")));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), FHome.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), FHome.filePath(QStringLiteral("config")));
        FTonara.setProcessEnvironment(environment);
    }

    TToolResult Tonara(const QStringList &AArguments)
    {
        return RunProgram(FTonara, QStringLiteral(TONARA_EXECUTABLE), AArguments, 120000);
    }

    // Starts tonara and returns once it has started its tool.
    qint64 StartAndWaitForTool(const QStringList &AArguments)
    {
        FTonara.start(QStringLiteral(TONARA_EXECUTABLE), AArguments);
        EXPECT_TRUE(FTonara.waitForStarted(10000));
        const QDeadlineTimer deadline(30000);
        QList<qint64> children;
        // /proc has no notice for a new child: look again until it is there.
        while (children.isEmpty() && !deadline.hasExpired() && FTonara.state() == QProcess::Running) {
            QTest::qWait(20);
            children = ChildrenOf(FTonara.processId());
        }
        return children.value(0, 0);
    }

    static QTemporaryDir *Inputs;
    QTemporaryDir FHome;
    QProcess FTonara;
};

QTemporaryDir *CommandLineMode::Inputs = nullptr;

TEST_F(CommandLineMode, ListsTheEffectsInListOrder)
{
    QString expected;
    for (const TEffectPreset &preset : EffectPresets())
        expected += QString::fromUtf8(preset.Item) + QLatin1Char('\n');
    const TToolResult result = Tonara({QStringLiteral("--list-effects")});
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Out, expected);
    EXPECT_EQ(result.Out.count(QLatin1Char('\n')), 14);
    EXPECT_EQ(result.Err, QString());
}

TEST_F(CommandLineMode, HelpAndVersion)
{
    const TToolResult help = Tonara({QStringLiteral("--help")});
    EXPECT_EQ(help.ExitCode, 0);
    EXPECT_TRUE(help.Out.startsWith(QStringLiteral("Usage: tonara --effect NAME"))) << help.Out.toStdString();
    EXPECT_EQ(Tonara({QStringLiteral("-h")}).Out, help.Out);

    const TToolResult version = Tonara({QStringLiteral("--version")});
    EXPECT_EQ(version.ExitCode, 0);
    EXPECT_EQ(version.Out, QStringLiteral("Tonara 1.0\n"));
    EXPECT_FALSE(QFileInfo::exists(DataFolder())) << "printing creates nothing";
}

TEST_F(CommandLineMode, PrintsTheCommandOfEachInputAndRunsNothing)
{
    const QString awkward = Input(AwkwardName + QStringLiteral(".wav"));
    const QString missing = Inputs->filePath(QStringLiteral("not there $x.mp3"));
    const TToolResult result =
        Tonara({QStringLiteral("--effect"), QStringLiteral("custom"), QStringLiteral("--rate"), QStringLiteral("15"),
                QStringLiteral("--tempo=3"), QStringLiteral("--print-command"), awkward, missing});
    ASSERT_EQ(result.ExitCode, 0) << result.Err.toStdString();

    // The same builder, writing to the same work file as the window's.
    AppDataFolder = DataFolder();
    EXPECT_EQ(result.Out, BuildEffectCommand(awkward, QStringLiteral("Custom"), 15, 3) + QLatin1Char('\n')
                              + BuildEffectCommand(missing, QStringLiteral("Custom"), 15, 3) + QLatin1Char('\n'));
    AppDataFolder.clear();
    const QStringList arguments = Platform::SplitCommandLine(result.Out.section(QLatin1Char('\n'), 0, 0));
    ASSERT_EQ(arguments.size(), 6) << arguments.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(arguments.at(2), awkward);
    EXPECT_EQ(arguments.at(4), QStringLiteral("asetrate=44100*1.5,aresample=44100,atempo=1.5"));
    EXPECT_EQ(arguments.at(5), WorkFileHere());
    EXPECT_FALSE(QFileInfo::exists(WorkFileHere()));
}

struct TUsageCase
{
    const char *Name;
    QStringList Arguments; // "@in" stands for an existing input, "@out/" for the output folder
    const char *Message;   // part of what standard error must say
};

void PrintTo(const TUsageCase &ACase, std::ostream *AOut)
{
    *AOut << ACase.Name;
}

class CommandLineUsage : public CommandLineMode, public ::testing::WithParamInterface<TUsageCase>
{};

TEST_P(CommandLineUsage, RefusesWithAMessageAndRunsNothing)
{
    QStringList arguments;
    for (const QString &argument : GetParam().Arguments)
        arguments << QString(argument)
                         .replace(QStringLiteral("@in2"), Input(QStringLiteral("voice.mp3")))
                         .replace(QStringLiteral("@in"), Input(QStringLiteral("tone.wav")))
                         .replace(QStringLiteral("@out/"), FHome.filePath(QStringLiteral("out")) + QLatin1Char('/'));
    const TToolResult result = Tonara(arguments);
    EXPECT_EQ(result.ExitCode, 2);
    EXPECT_EQ(result.Out, QString());
    EXPECT_TRUE(result.Err.contains(QString::fromUtf8(GetParam().Message))) << result.Err.toStdString();
    EXPECT_TRUE(result.Err.contains(QStringLiteral("--help"))) << result.Err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(DataFolder())) << "nothing runs";
    EXPECT_TRUE(QDir(FHome.filePath(QStringLiteral("out"))).isEmpty());
}

const auto L = [](std::initializer_list<const char *> AItems) {
    QStringList list;
    for (const char *item : AItems)
        list << QString::fromUtf8(item);
    return list;
};

INSTANTIATE_TEST_SUITE_P(
    Errors, CommandLineUsage,
    ::testing::Values(
        TUsageCase{"UnknownEffect", L({"--effect", "Robotic", "@in"}), "Unknown effect \"Robotic\""},
        TUsageCase{"NoEffect", L({"--print-command", "@in"}), "No effect given"},
        TUsageCase{"EffectWithoutValue", L({"--effect"}), "Missing value after '--effect'"},
        TUsageCase{"UnknownOption", L({"--effect", "Robot", "--loud", "@in"}), "Unknown option 'loud'"},
        TUsageCase{"NoInput", L({"--effect", "Robot"}), "No input file given"},
        TUsageCase{"EmptyInput", L({"--effect", "Robot", ""}), "input file name is empty"},
        TUsageCase{"RateZero", L({"--effect", "Custom", "--rate", "0", "@in"}), "--rate must be from 1 to 100, not 0"},
        TUsageCase{"RateTooHigh", L({"--effect", "Custom", "--rate", "101", "@in"}), "--rate must be from 1 to 100"},
        TUsageCase{"RateHuge", L({"--effect", "Custom", "--rate", "99999999999999999999999", "@in"}),
                   "--rate must be from 1 to 100"},
        TUsageCase{"RateNegative", L({"--effect", "Custom", "--rate=-5", "@in"}),
                   "--rate must be from 1 to 100, not -5"},
        TUsageCase{"RateNotANumber", L({"--effect", "Custom", "--rate", "ten", "@in"}),
                   "--rate wants a whole number from 1 to 100, not \"ten\""},
        TUsageCase{"RateFraction", L({"--effect", "Custom", "--rate", "1.5", "@in"}), "--rate wants a whole number"},
        TUsageCase{"TempoZero", L({"--effect", "Custom", "--tempo", "0", "@in"}),
                   "--tempo must be from 1 to 200, not 0"},
        TUsageCase{"TempoTooHigh", L({"--effect", "Custom", "--tempo", "201", "@in"}), "--tempo must be from 1 to 200"},
        TUsageCase{"TempoNotANumber", L({"--effect", "Custom", "--tempo", "", "@in"}), "--tempo wants a whole number"},
        TUsageCase{"RateWithAnotherEffect", L({"--effect", "Robot", "--rate", "20", "@in"}),
                   "--rate and --tempo apply only to the effect \"Custom\""},
        TUsageCase{"TempoWithAnotherEffect", L({"--effect", "Echo (Indoor)", "--tempo", "20", "@in"}),
                   "--rate and --tempo apply only"},
        TUsageCase{"OneFileForTwoInputs", L({"--effect", "Robot", "--output", "@out/x.wav", "@in", "@in2"}),
                   "Several inputs cannot be saved to one file"},
        TUsageCase{"OutputOfUnknownFormat", L({"--effect", "Robot", "--output", "@out/x.ogg", "@in"}),
                   "neither an existing folder nor a file name ending in .wav or .mp3"},
        TUsageCase{"OutputFolderMissing", L({"--effect", "Robot", "--output", "@out/none/", "@in"}), "does not exist"},
        TUsageCase{"OutputFileInMissingFolder", L({"--effect", "Robot", "--output", "@out/none/x.wav", "@in"}),
                   "The folder of the output"},
        TUsageCase{"OutputIsTheInput", L({"--effect", "Robot", "--output", "@in", "@in"}), "is the input itself"},
        TUsageCase{"FormatUnknown", L({"--effect", "Robot", "--output", "@out/", "--format", "ogg", "@in"}),
                   "--format must be wav or mp3"},
        TUsageCase{"FormatWithAFile", L({"--effect", "Robot", "--output", "@out/x.wav", "--format", "mp3", "@in"}),
                   "--format applies only to an --output folder"},
        TUsageCase{"FormatWithoutOutput", L({"--effect", "Robot", "--format", "mp3", "@in"}),
                   "--format applies only to an --output folder"},
        TUsageCase{"LiveReverse", L({"--live", "--effect", "Reverse"}), "\"Reverse\" needs the whole sound"},
        TUsageCase{"LiveWithInputFile", L({"--live", "--effect", "Robot", "@in"}), "--live takes no input files"},
        TUsageCase{"LiveWithPreview", L({"--live", "--preview", "--effect", "Robot"}), "--preview does not go with --live"},
        TUsageCase{"LiveToNowhere", L({"--live", "--effect", "Robot", "--to", "phone"}),
                   "--to must be speakers or mic, not \"phone\""},
        TUsageCase{"ToWithoutLive", L({"--effect", "Robot", "--to", "mic", "@in"}), "apply only to --live"},
        TUsageCase{"RecordWithAnEffect", L({"--record", "2", "--effect", "Robot", "--output", "@out/r.wav"}),
                   "--effect does not go with --record"},
        TUsageCase{"RecordWithAnInput", L({"--record", "2", "--output", "@out/r.wav", "@in"}), "takes no input files"},
        TUsageCase{"RecordWithoutOutput", L({"--record", "2"}), "--record needs --output"},
        TUsageCase{"RecordIntoMp3", L({"--record", "2", "--output", "@out/r.mp3"}),
                   "must be a file name ending in .wav"},
        TUsageCase{"RecordIntoMissingFolder", L({"--record", "2", "--output", "@out/none/r.wav"}), "does not exist"},
        TUsageCase{"RecordNoTime", L({"--record", "0", "--output", "@out/r.wav"}), "number of seconds above 0"},
        TUsageCase{"RecordTimeNotANumber", L({"--record", "ten", "--output", "@out/r.wav"}), "not \"ten\""},
        TUsageCase{"DeviceWithoutRecord", L({"--effect", "Robot", "--device", "mic", "@in"}),
                   "--device goes with --record"},
        TUsageCase{"TwoInputsOneName", L({"--effect", "Robot", "--output", "@out/", "@in", "@in"}),
                   "Two inputs would be saved to the same file"},
        TUsageCase{"PreviewWithOutput", L({"--preview", "--effect", "Robot", "--output", "@out/x.wav", "@in"}),
                   "--preview saves nothing"},
        TUsageCase{"PreviewOfTwoInputs", L({"--preview", "--effect", "Robot", "@in", "@in2"}),
                   "--preview plays one INPUT"}),
    CaseName<TUsageCase>);

TEST_F(CommandLineMode, SavesTheResultAsWavOrMp3ByTheOutputsExtension)
{
    const struct
    {
        QString Input, Output, Format;
    } cases[] = {
        {Input(QStringLiteral("tone.wav")), Out(QStringLiteral("robot tone.wav")), QStringLiteral("wav")},
        {Input(QStringLiteral("voice.mp3")), Out(AwkwardName + QStringLiteral(".MP3")), QStringLiteral("mp3")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Output.toStdString());
        const TToolResult result =
            Tonara({QStringLiteral("-e"), QStringLiteral("Robot"), c.Input, QStringLiteral("-o"), c.Output});
        EXPECT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        EXPECT_EQ(result.Out, QStringLiteral("Complete: ") + c.Input + QLatin1Char('\n'));
        const SoundInputs::TProbe probe = SoundInputs::Probe(c.Output);
        EXPECT_EQ(probe.FormatName, c.Format);
        EXPECT_NEAR(probe.Duration, 2.0, 0.2);
        EXPECT_FALSE(QFileInfo::exists(WorkFileHere())) << "the window's work file is not the batch's";
    }
}

TEST_F(CommandLineMode, AFolderReceivesOneFilePerInputNamedAfterItAndTheEffect)
{
    const QString awkward = Input(AwkwardName + QStringLiteral(".wav"));
    const QString voice = Input(QStringLiteral("voice.mp3"));
    for (const QString &format : {QStringLiteral("wav"), QStringLiteral("mp3")}) {
        SCOPED_TRACE(format.toStdString());
        QStringList arguments{QStringLiteral("--effect"), QStringLiteral("echo (indoor)"),      awkward, voice,
                              QStringLiteral("--output"), FHome.filePath(QStringLiteral("out"))};
        if (format == QLatin1String("mp3"))
            arguments << QStringLiteral("--format") << format;
        const TToolResult result = Tonara(arguments);
        EXPECT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        EXPECT_EQ(result.Out, QStringLiteral("Complete: %1\nComplete: %2\n").arg(awkward, voice));
        for (const QString &name : {AwkwardName, QStringLiteral("voice")}) {
            const SoundInputs::TProbe probe =
                SoundInputs::Probe(Out(name + QStringLiteral(" - Echo (Indoor).") + format));
            EXPECT_EQ(probe.FormatName, format) << name.toStdString();
            EXPECT_NEAR(probe.Duration, 2.0, 0.2);
        }
    }
}

TEST_F(CommandLineMode, AMissingInputEndsInErrorAndTheNextStillRuns)
{
    const QString missing = Inputs->filePath(QStringLiteral("not there $x.wav"));
    const QString tone = Input(QStringLiteral("tone.wav"));
    const TToolResult result = Tonara({QStringLiteral("--effect"), QStringLiteral("Reverse"), missing, tone,
                                       QStringLiteral("--output"), FHome.filePath(QStringLiteral("out"))});
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_EQ(result.Out, QStringLiteral("Error: %1\nComplete: %2\n").arg(missing, tone));
    EXPECT_TRUE(result.Err.contains(QStringLiteral("No such file or directory"))) << result.Err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(Out(QStringLiteral("not there $x - Reverse.wav"))));
    EXPECT_EQ(SoundInputs::Probe(Out(QStringLiteral("tone - Reverse.wav"))).FormatName, QStringLiteral("wav"));
}

TEST_F(CommandLineMode, AnEmptyResultIsAnErrorAndIsNotSaved)
{
    // Rate 10 with tempo 100: the tool exits 0 and writes a WAV header without samples.
    const TToolResult result =
        Tonara({QStringLiteral("--effect"), QStringLiteral("Custom"), QStringLiteral("--rate"), QStringLiteral("100"),
                QStringLiteral("--tempo"), QStringLiteral("200"), Input(QStringLiteral("tone.wav")),
                QStringLiteral("-o"), Out(QStringLiteral("silence.wav"))});
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_EQ(result.Out, QStringLiteral("Error: ") + Input(QStringLiteral("tone.wav")) + QLatin1Char('\n'));
    EXPECT_FALSE(QFileInfo::exists(Out(QStringLiteral("silence.wav"))));
}

TEST_F(CommandLineMode, ASignalStopsTheRunningToolAndTheBatch)
{
    const struct
    {
        int Signal;
        int ExitCode;
    } cases[] = {{SIGINT, 130}, {SIGTERM, 143}};
    const QString long1 = Input(QStringLiteral("long.wav"));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Signal);
        const qint64 tool = StartAndWaitForTool({QStringLiteral("--effect"), QStringLiteral("Whisper"), long1,
                                                 Input(QStringLiteral("tone.wav")), QStringLiteral("--output"),
                                                 FHome.filePath(QStringLiteral("out"))});
        ASSERT_NE(tool, 0) << "the tool did not start";
        ::kill(pid_t(FTonara.processId()), c.Signal);
        ASSERT_TRUE(FTonara.waitForFinished(30000));
        EXPECT_EQ(FTonara.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(FTonara.exitCode(), c.ExitCode);
        EXPECT_EQ(QString::fromUtf8(FTonara.readAllStandardOutput()),
                  QStringLiteral("Aborted: ") + long1 + QLatin1Char('\n'));
        EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/proc/%1").arg(tool))) << "the tool is gone and reaped";
        EXPECT_TRUE(QDir(FHome.filePath(QStringLiteral("out"))).isEmpty()) << "nothing is saved, the rest is not run";
    }
}

// ---- Workflow faults ---------------------------------------------------------

TEST_F(CommandLineMode, ABatchLeavesTheWindowsWorkFileAloneAndRemovesItsOwn)
{
    ASSERT_TRUE(QDir().mkpath(DataFolder()));
    QFile window(WorkFileHere());
    ASSERT_TRUE(window.open(QIODevice::WriteOnly));
    window.write("the window's result");
    window.close();
    const QString tone = Input(QStringLiteral("tone.wav"));
    const TToolResult result = Tonara({QStringLiteral("-e"), QStringLiteral("Reverse"), tone, QStringLiteral("-o"),
                                       Out(QStringLiteral("reversed.wav"))});
    EXPECT_EQ(result.ExitCode, 0) << result.Err.toStdString();
    EXPECT_EQ(result.Out, QStringLiteral("Complete: ") + tone + QLatin1Char('\n'));
    ASSERT_TRUE(window.open(QIODevice::ReadOnly));
    EXPECT_EQ(window.readAll(), QByteArray("the window's result"));
    EXPECT_EQ(QDir(DataFolder()).entryList(QDir::Files), QStringList{QStringLiteral("output.wav")});
}

// Input names the tool would otherwise take for one of its own protocols.
class CommandLineInputName : public CommandLineMode, public ::testing::WithParamInterface<const char *>
{};

TEST_P(CommandLineInputName, IsReadAsTheFileOfThatName)
{
    const QString name = QString::fromUtf8(GetParam());
    const QString folder = FHome.filePath(QStringLiteral("in"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::copy(Input(QStringLiteral("tone.wav")), folder + QLatin1Char('/') + name));
    // Other files a protocol might read instead: longer, so the result tells.
    ASSERT_TRUE(QFile::copy(Input(QStringLiteral("long.wav")), folder + QStringLiteral("/a.wav")));
    ASSERT_TRUE(QFile::copy(Input(QStringLiteral("long.wav")), folder + QStringLiteral("/b.wav")));
    FTonara.setWorkingDirectory(folder);
    const TToolResult result = Tonara(
        {QStringLiteral("-e"), QStringLiteral("Reverse"), name, QStringLiteral("-o"), Out(QStringLiteral("r.wav"))});
    EXPECT_EQ(result.ExitCode, 0) << result.Err.toStdString();
    EXPECT_EQ(result.Out, QStringLiteral("Complete: ") + name + QLatin1Char('\n'));
    EXPECT_NEAR(SoundInputs::Probe(Out(QStringLiteral("r.wav"))).Duration, 2.0, 0.2);
}

INSTANTIATE_TEST_SUITE_P(Protocols, CommandLineInputName,
                         ::testing::Values("Intro:remix.wav", "pipe:x.wav", "concat:a.wav|b.wav"),
                         [](const auto &AInfo) {
                             return std::string(AInfo.index == 0 ? "Colon" : AInfo.index == 1 ? "Pipe" : "Concat");
                         });

TEST_F(CommandLineMode, AnOutputFolderThatWouldReplaceAnInputIsRefused)
{
    const QString tone = Input(QStringLiteral("tone.wav"));
    const QString second = Out(QStringLiteral("tone - Robot.wav"));
    ASSERT_TRUE(QFile::copy(Input(QStringLiteral("voice.mp3")), second));
    const QByteArray before = [&] {
        QFile file(second);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    const TToolResult result = Tonara({QStringLiteral("--effect"), QStringLiteral("Robot"), QStringLiteral("--output"),
                                       FHome.filePath(QStringLiteral("out")), tone, second});
    EXPECT_EQ(result.ExitCode, 2);
    EXPECT_EQ(result.Out, QString());
    EXPECT_TRUE(result.Err.contains(QStringLiteral("is an input itself"))) << result.Err.toStdString();
    QFile file(second);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    EXPECT_FALSE(QFileInfo::exists(DataFolder())) << "nothing runs";
}

// Outputs that stand as something other than a regular file are refused before
// anything runs, and stay as they were.
TEST_F(CommandLineMode, AnOutputThatIsNoRegularFileIsRefusedBeforeAnythingRuns)
{
    const QString fifo = Out(QStringLiteral("pipe.wav"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString link = Out(QStringLiteral("null.mp3"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), link));
    // In an output folder, the name the input's result would get.
    const QString inFolder = Out(QStringLiteral("tone - Robot.wav"));
    ASSERT_EQ(mkfifo(QFile::encodeName(inFolder).constData(), 0600), 0);
    const struct
    {
        QString Output, Target, Kind;
    } rows[] = {{fifo, fifo, QStringLiteral("a named pipe (FIFO)")},
                {link, link, QStringLiteral("a character device")},
                {FHome.filePath(QStringLiteral("out")), inFolder, QStringLiteral("a named pipe (FIFO)")}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.Output.toStdString());
        const TToolResult result = Tonara({QStringLiteral("--effect"), QStringLiteral("Robot"), QStringLiteral("--output"),
                                           row.Output, Input(QStringLiteral("tone.wav"))});
        EXPECT_EQ(result.ExitCode, 1);
        EXPECT_EQ(result.Out, QString());
        EXPECT_TRUE(result.Err.contains(QStringLiteral("\"%1\" is %2, not a regular file").arg(row.Target, row.Kind)))
            << result.Err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(DataFolder())) << "nothing runs";
    }
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), QStringLiteral("/dev/null"));
    for (const QString &path : {fifo, inFolder}) {
        struct stat status
        {};
        EXPECT_TRUE(stat(QFile::encodeName(path).constData(), &status) == 0 && S_ISFIFO(status.st_mode));
    }
    EXPECT_EQ(QDir(FHome.filePath(QStringLiteral("out")))
                  .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot)
                  .size(),
              3);
}

// Runs AProgram with AArguments given as bytes, as a shell passes them; standard
// error joins standard output.
TToolResult RunWithBytes(const QByteArray &AProgram, const QList<QByteArray> &AArguments,
                         const QByteArray &AEnvironment)
{
    QByteArray command = AEnvironment + ' ' + Platform::ShellQuoted(AProgram);
    for (const QByteArray &argument : AArguments)
        command += ' ' + Platform::ShellQuoted(argument);
    FILE *pipe = popen((command + " 2>&1").constData(), "r");
    if (!pipe)
        return {};
    QByteArray output;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, qsizetype(n));
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, QString::fromLatin1(output.toHex(' ')),
            QString::fromUtf8(output)};
}

// Names that are not UTF-8 are carried as the file system's bytes: the input the
// tool reads, the saved result, the printed outcome, and the program's own folder.
TEST_F(CommandLineMode, NamesThatAreNotUtf8AreKeptAsTheirBytes)
{
    namespace fs = std::filesystem;
    const QByteArray home = QFile::encodeName(FHome.path());
    const QByteArray input = home + "/\xff\xfe.wav";
    fs::copy_file(QFile::encodeName(Input(QStringLiteral("tone.wav"))).toStdString(), input.toStdString());
    const QByteArray programFolder = home + "/prog \xfe\xff";
    fs::create_directory(programFolder.toStdString());
    const QByteArray program = programFolder + "/tonara";
    fs::copy_file(TONARA_EXECUTABLE, program.toStdString());
    const QByteArray environment = "XDG_DATA_HOME=" + Platform::ShellQuoted(home + "/data") + " XDG_CONFIG_HOME="
                                   + Platform::ShellQuoted(home + "/config");

    const TToolResult version = RunWithBytes(program, {"--version"}, environment);
    EXPECT_EQ(version.ExitCode, 0) << version.Err.toStdString();
    EXPECT_EQ(version.Err, QStringLiteral("Tonara 1.0\n"));

    for (const QByteArray &output : {home + "/out/\xe9t\xe9.wav", home + "/out/\xe9t\xe9.mp3"}) {
        SCOPED_TRACE(output.toHex().toStdString());
        const TToolResult result =
            RunWithBytes(program, {"--effect", "Robot", "--output", output, input}, environment);
        EXPECT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        EXPECT_EQ(result.Out, QString::fromLatin1(("Complete: " + input + '\n').toHex(' ')));
        std::error_code error;
        EXPECT_GT(fs::file_size(output.toStdString(), error), 1000u) << error.message();
    }
}

class CommandLineConversionSignal : public CommandLineMode, public ::testing::WithParamInterface<int>
{
protected:
    static void SetUpTestSuite()
    {
        CommandLineMode::SetUpTestSuite();
        // Long enough that its conversion to MP3 is still going when the signal comes.
        ASSERT_TRUE(SoundInputs::Make(Input(QStringLiteral("very long.wav")), 300));
    }
};

TEST_P(CommandLineConversionSignal, StopsTheMp3ConversionAndSavesNothing)
{
    const QString input = Input(QStringLiteral("very long.wav"));
    const QString out = FHome.filePath(QStringLiteral("out"));
    FTonara.start(QStringLiteral(TONARA_EXECUTABLE), {QStringLiteral("-e"), QStringLiteral("Channel Difference"), input,
                                                      QStringLiteral("-o"), Out(QStringLiteral("very long.mp3"))});
    ASSERT_TRUE(FTonara.waitForStarted(10000));
    // The conversion has begun once its file beside the target is there and the tool runs.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return FTonara.state() != QProcess::Running
                   || (!QDir(out).entryList(QDir::Files | QDir::Hidden).isEmpty()
                       && !ChildrenOf(FTonara.processId()).isEmpty());
        },
        120000));
    ASSERT_EQ(FTonara.state(), QProcess::Running) << FTonara.readAllStandardError().toStdString();
    ::kill(pid_t(FTonara.processId()), GetParam());
    ASSERT_TRUE(FTonara.waitForFinished(120000));
    EXPECT_EQ(FTonara.exitCode(), 128 + GetParam());
    EXPECT_EQ(QString::fromUtf8(FTonara.readAllStandardOutput()),
              QStringLiteral("Aborted: ") + input + QLatin1Char('\n'));
    EXPECT_TRUE(QDir(out).entryList(QDir::Files | QDir::Hidden).isEmpty()) << "the conversion did not finish";
}

INSTANTIATE_TEST_SUITE_P(Signals, CommandLineConversionSignal, ::testing::Values(SIGINT, SIGTERM),
                         [](const auto &AInfo) { return std::string(AInfo.param == SIGINT ? "Int" : "Term"); });

TEST_F(CommandLineMode, RunsWhenStartedWithChildSignalsIgnored)
{
    // Some parents leave SIGCHLD ignored, which an exec keeps.
    const QString tone = Input(QStringLiteral("tone.wav"));
    const TToolResult result =
        RunProgram(FTonara, QStringLiteral("perl"),
                   {QStringLiteral("-e"), QStringLiteral("$SIG{CHLD} = 'IGNORE'; exec @ARGV or die"),
                    QStringLiteral(TONARA_EXECUTABLE), QStringLiteral("-e"), QStringLiteral("Reverse"), tone,
                    QStringLiteral("-o"), Out(QStringLiteral("r.mp3"))},
                   120000);
    EXPECT_EQ(result.ExitCode, 0) << result.Err.toStdString();
    EXPECT_EQ(result.Out, QStringLiteral("Complete: ") + tone + QLatin1Char('\n'));
    EXPECT_EQ(SoundInputs::Probe(Out(QStringLiteral("r.mp3"))).FormatName, QStringLiteral("mp3"));
}

TEST_F(CommandLineMode, CustomNumbersKeepTheirPointUnderACommaLocale)
{
    QProcessEnvironment environment = FTonara.processEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8"));
    FTonara.setProcessEnvironment(environment);
    const TToolResult result =
        Tonara({QStringLiteral("-e"), QStringLiteral("Custom"), QStringLiteral("--rate"), QStringLiteral("15"),
                QStringLiteral("--print-command"), Input(QStringLiteral("tone.wav"))});
    EXPECT_EQ(result.ExitCode, 0) << result.Err.toStdString();
    EXPECT_TRUE(result.Out.contains(QStringLiteral(" asetrate=44100*1.5,aresample=44100,atempo=1 ")))
        << result.Out.toStdString();
}

} // namespace

// ---- Parallel runs -------------------------------------------------------------

TEST_F(CommandLineMode, ParallelRunsPrintTheirLinesInInputOrder)
{
    // The long input ends last, yet its line comes first.
    const QString longer = Input(QStringLiteral("long.wav"));
    const QString missing = Input(QStringLiteral("missing.wav"));
    const QString tone = Input(QStringLiteral("tone.wav"));
    const TToolResult result = Tonara({QStringLiteral("--jobs"), QStringLiteral("2"), QStringLiteral("--effect"),
                                       QStringLiteral("Robot"), longer, missing, tone, QStringLiteral("--output"),
                                       FHome.filePath(QStringLiteral("out"))});
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_EQ(result.Out, QStringLiteral("Complete: %1\nError: %2\nComplete: %3\n").arg(longer, missing, tone));
    EXPECT_TRUE(result.Err.contains(QStringLiteral("No such file or directory"))) << result.Err.toStdString();
    EXPECT_TRUE(SoundFileHasSamples(Out(QStringLiteral("long - Robot.wav"))));
    EXPECT_TRUE(SoundFileHasSamples(Out(QStringLiteral("tone - Robot.wav"))));
    EXPECT_EQ(QDir(DataFolder()).entryList(QDir::Files), QStringList()) << "every work file is gone";
}

TEST_F(CommandLineMode, ASignalStopsEveryParallelRunAndSavesNothing)
{
    const QString first = Input(QStringLiteral("long.wav"));
    const QString second = FHome.filePath(QStringLiteral("long copy.wav"));
    ASSERT_TRUE(QFile::copy(first, second));
    FTonara.start(QStringLiteral(TONARA_EXECUTABLE),
                  {QStringLiteral("-j"), QStringLiteral("2"), QStringLiteral("--effect"), QStringLiteral("Whisper"),
                   first, second, Input(QStringLiteral("tone.wav")), QStringLiteral("--output"),
                   FHome.filePath(QStringLiteral("out")), QStringLiteral("--format"), QStringLiteral("mp3")});
    ASSERT_TRUE(FTonara.waitForStarted(10000));
    QList<qint64> tools;
    ASSERT_TRUE(WaitUntil(
        [&] {
            tools = ChildrenOf(FTonara.processId());
            return tools.size() == 2 || FTonara.state() != QProcess::Running;
        },
        30000));
    ASSERT_EQ(tools.size(), 2);
    ::kill(pid_t(FTonara.processId()), SIGINT);
    ASSERT_TRUE(FTonara.waitForFinished(30000));
    EXPECT_EQ(FTonara.exitCode(), 130);
    EXPECT_EQ(QString::fromUtf8(FTonara.readAllStandardOutput()),
              QStringLiteral("Aborted: %1\nAborted: %2\n").arg(first, second));
    for (const qint64 tool : tools) {
        EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/proc/%1").arg(tool))) << "every tool is gone and reaped";
    }
    EXPECT_EQ(QDir(FHome.filePath(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden), QStringList());
    EXPECT_EQ(QDir(DataFolder()).entryList(QDir::Files), QStringList());
}

TEST_F(CommandLineMode, GnuParallelSpreadsInputsOverIndependentProcesses)
{
    // The README's command for batches beyond one process, with the real GNU
    // parallel; the inputs' names carry blanks, quotes and '$'.
    const QString tone = Input(QStringLiteral("tone.wav"));
    const QString voice = Input(QStringLiteral("voice.mp3"));
    QProcess parallel;
    parallel.setProcessEnvironment(FTonara.processEnvironment());
    const TToolResult result =
        RunProgram(parallel, QStringLiteral("parallel"),
                   {QStringLiteral("--will-cite"), QStringLiteral(TONARA_EXECUTABLE), QStringLiteral("--effect"),
                    QStringLiteral("Robot"), QStringLiteral("--output"), Out(QStringLiteral("{/.}.wav")),
                    QStringLiteral("{}"), QStringLiteral(":::"), tone, voice},
                   120000);
    ASSERT_EQ(result.ExitCode, 0) << result.Err.toStdString();
    EXPECT_TRUE(result.Out.contains(QStringLiteral("Complete: ") + tone));
    EXPECT_TRUE(result.Out.contains(QStringLiteral("Complete: ") + voice));
    EXPECT_TRUE(SoundFileHasSamples(Out(QStringLiteral("tone.wav"))));
    EXPECT_TRUE(SoundFileHasSamples(Out(QStringLiteral("voice.wav"))));
}
