#pragma once

#include <QDateTime>
#include <QString>

// Where the window's recordings go: the "Recordings" folder of the data folder,
// one file per recording named by the time it started.
class TRecordingPlace
{
public:
    // AppDataFolder + "Recordings".
    static QString Folder();
    // "Recording 2026-12-10 14-03-22.wav".
    static QString FileName(const QDateTime &AStart);
    // AFolder/FileName(AStart), or with " (2)", " (3)", ... before ".wav" when
    // that name is taken: a recording never replaces a file.
    static QString FreePath(const QString &AFolder, const QDateTime &AStart);
    // Creates Folder() when missing; false with the reason in AError when it cannot.
    static bool MakeFolder(QString &AError);
    // Mends the headers of recordings whose program was killed while recording.
    static void RepairLeftovers();
};
