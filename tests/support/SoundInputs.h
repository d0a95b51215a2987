#pragma once

#include <QString>
#include <QStringList>

// Sound files of any length and source for the tests (AudioFiles.h runs
// ffmpeg), and what ffprobe says about a file.
namespace SoundInputs {

// ASeconds of a lavfi source ("sine", "anoisesrc") written to APath; the
// extension picks the format (.wav or .mp3). False when ffmpeg failed.
bool Make(const QString &APath, double ASeconds, const QString &ASource = QStringLiteral("sine"));

// The format name and duration ffprobe reads from APath, e.g. "mp3" and 2.0;
// an empty name when ffprobe cannot read it.
struct TProbe
{
    QString FormatName;
    double Duration = 0;
};
TProbe Probe(const QString &APath);

// Runs a program with AArguments (no shell), waits, returns its exit code
// (-1 when it could not start); its merged output goes to AOutput when given.
int Run(const QString &AProgram, const QStringList &AArguments, QByteArray *AOutput = nullptr);

// File names that trip up shells and naive quoting, one per entry.
QStringList AwkwardNames();

} // namespace SoundInputs
