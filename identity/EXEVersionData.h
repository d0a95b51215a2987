#pragma once

#include <QString>

// The string values of an executable's version block; a value the block does
// not have stays empty.
struct TEXEVersionData
{
    QString CompanyName;
    QString FileDescription;
    QString FileVersion;
    QString InternalName;
    QString LegalCopyright;
    QString LegalTrademarks;
    QString OriginalFileName;
    QString ProductName;
    QString ProductVersion;
    QString Comments;
    QString PrivateBuild;
    QString SpecialBuild;

    bool operator==(const TEXEVersionData &) const = default;
};

// Fills AData from the version block of the executable file AFileName, using the
// string table of the block's first translation. Raises EOSError when the file
// has no version block, the block cannot be read or it has no translation list;
// AData is then left as it was.
void ReadVersionData(const QString &AFileName, TEXEVersionData &AData);
