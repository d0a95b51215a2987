#pragma once

#include <QString>

namespace Platform {

// An advisory lock on a folder, held while the object lives: tells instances
// of this program that share a folder which one owns what is in it. The lock
// goes with the process, so a crashed instance never leaves it behind.
class TFolderLock
{
public:
    TFolderLock() = default;
    ~TFolderLock();
    TFolderLock(const TFolderLock &) = delete;
    TFolderLock &operator=(const TFolderLock &) = delete;

    // Takes the lock without waiting; false when another holder has it or the
    // folder cannot be opened.
    bool TryLock(const QString &AFolder);

private:
    int FFd = -1;
};

} // namespace Platform
