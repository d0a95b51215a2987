#pragma once

#include <QStringList>

// Sound files named from outside the open dialog (on the command line, or
// dropped onto the list): the MP3 and WAV files to add, in order, and the
// names that cannot be added, each with its reason. A folder stands for the MP3
// and WAV files directly inside it, sorted by name as a file manager shows them.
class TSoundFileSet
{
public:
    static TSoundFileSet Gather(const QStringList &APaths);
    // By the name's extension, as the open dialog's filter: .mp3 or .wav, any case.
    static bool IsSoundFileName(const QString &APath);

    // What cannot be added, one name with its reason per line.
    void Refuse(const QString &AName, const QString &AReason);

    QStringList Files;   // absolute paths, to be added in this order
    QStringList Refused; // "name (reason)"

private:
    void Take(const QString &APath);
    void TakeFolder(const QString &APath);
};
