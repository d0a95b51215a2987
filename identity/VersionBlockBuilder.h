#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// Writes a version block in the Windows layout (VS_VERSIONINFO with its fixed
// file info, StringFileInfo with string tables and VarFileInfo\Translation),
// UTF-16LE, every node on a 4-byte boundary. Used at build time for the
// executable's own block and by tests for blocks of their own making.
class TVersionBlockBuilder
{
public:
    using TStrings = QList<QPair<QString, QString>>;

    // Sets the four parts of the fixed file and product version.
    void SetFixedVersion(quint16 AMajor, quint16 AMinor, quint16 ABuild, quint16 ARelease);
    // A block without fixed file info (its value length is 0).
    void OmitFixedFileInfo();
    // Adds a string table under its key ("040904B0": language, code page in hex).
    void AddStringTable(const QString &AKey, const TStrings &AStrings);
    // Appends a (language, code page) pair to the translation list; without any
    // pair the block has no VarFileInfo at all.
    void AddTranslation(quint16 ALanguage, quint16 ACodePage);

    QByteArray Build() const;

private:
    QByteArray FixedFileInfo() const;
    QByteArray StringFileInfo() const;
    QByteArray VarFileInfo() const;

    bool FHasFixedInfo = true;
    quint32 FVersionMS = 0;
    quint32 FVersionLS = 0;
    QList<QPair<QString, TStrings>> FTables;
    QList<QPair<quint16, quint16>> FTranslations;
};
