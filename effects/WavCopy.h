#pragma once

#include "effects/SaveJob.h"

#include <QFile>
#include <memory>

class TFileBesideTarget;

class QTimer;

// Copies a result to a WAV file a piece at a time: all at once for the
// command line (CopyAll), or one piece per turn of the event loop for the
// window (Start), so a large result never freezes it. The copy is written
// beside the target and renamed over it at the end, so a failure or Cancel
// leaves an existing target as it was.
class TWavCopy : public TSaveJob
{
    Q_OBJECT

public:
    explicit TWavCopy(QObject *AParent = nullptr);
    ~TWavCopy() override;

    // Refuses a target that is not a regular file (a link is written through),
    // then opens both files; false (with a short English reason) on failure.
    bool Open(const QString &AWorkFile, const QString &ATarget, QString *AWhy = nullptr);
    // After Open: copies everything now and commits; false with the reason.
    bool CopyAll(QString *AWhy = nullptr);
    // Open, then the copy from the event loop; Finished reports the end.
    bool Start(const QString &AWorkFile, const QString &ATarget, QString *AWhy = nullptr);
    void Cancel() override;

private:
    enum class TStep { More, Done, Failed };
    TStep CopyChunk(QString *AWhy);
    bool Commit(QString *AWhy);
    void CopyNextChunk();

    QFile FSource;
    QString FTargetName;
    std::unique_ptr<TFileBesideTarget> FBeside; // the copy, renamed over the target at the end
    QFile FTarget;                              // writes FBeside
    QTimer *FTimer = nullptr;
    qint64 FSize = 0;
};
