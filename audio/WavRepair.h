#pragma once

#include <QString>

// Mends the header of a PCM WAV file whose writer ended before it wrote the
// final sizes (a recording whose program was killed): the RIFF and data sizes
// are set to the whole frames that follow the header. Files that are not WAV,
// whose data chunk is not the last, or whose sizes are right are left alone.
class TWavRepair
{
public:
    enum class TResult { NotWav, AlreadyValid, Repaired, Failed };

    static TResult Repair(const QString &APath);

    // Repairs each "*.wav" of AFolder; returns how many were repaired.
    static int RepairFolder(const QString &AFolder);
};
