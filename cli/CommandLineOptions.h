#pragma once

#include <QString>
#include <QStringList>
#include <stdexcept>

// What the command line asks for.
enum class TCommandLineAction {
    Help,         // print the usage text
    Version,      // print the product name and version
    ListEffects,  // print the effect names in list order
    PrintCommand, // print the tool's command line for each input, run nothing
    Run,          // apply the effect to each input in turn
    Preview,      // play the effect on one input, streamed, writing no file
    Record,       // record an audio input into a WAV file
    Live,         // apply the effect to the microphone live until stopped
};

// A command line that cannot be carried out; what() is the message for the user.
class ECommandLineError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The arguments of the command-line mode, checked: the effect is one of the
// list's items, the slider positions are in range and each input has the file
// its result is saved to.
class TCommandLineOptions
{
public:
    // AArguments without the program name. Raises ECommandLineError for any
    // argument that cannot be carried out, so that nothing runs.
    static TCommandLineOptions Parse(const QStringList &AArguments);

    // Input AIndex as the tool is given it: an absolute path, so that a name
    // such as "pipe:x.wav" or "a:b.wav" is always read as the file of that name.
    QString ToolInput(qsizetype AIndex) const;

    // The help text, AProgram as the name the user typed.
    static QString UsageText(const QString &AProgram);

    TCommandLineAction Action = TCommandLineAction::Run;
    QString EffectItem;    // exactly as the effect list spells it
    int RatePosition = 10; // Rate slider, used by "Custom" only
    int TempoPosition = 2; // Tempo slider, used by "Custom" only
    int Jobs = 1;          // inputs run at once
    QStringList Inputs;    // as given
    QStringList Outputs;   // absolute path per input, or empty when nothing is saved
    qint64 RecordMs = 0;   // --record: how long
    QString DeviceName;    // --record: the input by name; empty for the default
    QString LiveInput;     // --live: the sound server's source; empty for its default
    bool LiveToMicrophone = false; // --live: to "Tonara Microphone" instead of the speakers

private:
    static int ParsePosition(const QString &AName, const QString &AText, int AMaximum);
    static QString ParseEffect(const QString &AName);
    static int ParseJobs(const QString &AText);
    void ResolveOutputs(const QString &AOutput, const QString &AFormat);
    void ParseRecord(const QString &ASeconds, const QString &AOutput);
    static bool ParseLiveTarget(const QString &AText);
};
