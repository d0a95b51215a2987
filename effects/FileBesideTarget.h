#pragma once

#include <QString>

// A new, empty file in the folder of a target file, for a writer that must not
// touch the target until it has succeeded. It then replaces the target in one
// rename; otherwise it is deleted when the object goes, and the target stays
// as it was.
class TFileBesideTarget
{
public:
    explicit TFileBesideTarget(const QString &ATarget);
    ~TFileBesideTarget();
    TFileBesideTarget(const TFileBesideTarget &) = delete;
    TFileBesideTarget &operator=(const TFileBesideTarget &) = delete;

    // Creates the file under a name no other file has; false on failure.
    bool Create();
    // Its path, once created.
    QString Path() const { return FPath; }
    // Renames it over the target, which keeps the permissions of the file it
    // replaces; false on failure.
    bool ReplaceTarget();
    // The system's reason for the last failure.
    QString ErrorText() const;

private:
    QString FTarget;
    QString FPath;
    int FError = 0;
};
