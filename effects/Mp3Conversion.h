#pragma once

#include "effects/FfmpegProgress.h"
#include "effects/SaveJob.h"

#include <QString>
#include <memory>

class QSocketNotifier;
class TFileBesideTarget;

namespace Platform {
class TChildProcess;
class TPipe;
} // namespace Platform

// Converts a result to an MP3 file with the external tool while the event loop
// keeps turning: the window's Save as MP3. Like SaveAsMp3, the tool writes a
// new file beside the target, which replaces the target only on success; a
// failure, Cancel or the object going away leaves an existing target as it was
// and never leaves that file behind (the tool is ended and reaped first, so
// it cannot create the file again after it was removed).
class TMp3Conversion : public TSaveJob
{
    Q_OBJECT

public:
    explicit TMp3Conversion(QObject *AParent = nullptr);
    ~TMp3Conversion() override;

    // Starts converting AWorkFile to ATarget and returns at once. False (with
    // a short English reason in AWhy) when nothing could be started; then
    // Finished is not emitted. One conversion per object.
    bool Start(const QString &AWorkFile, const QString &ATarget, QString *AWhy = nullptr);
    // Ends the tool; Finished(false, ...) follows.
    void Cancel() override;
    bool IsRunning() const;

private:
    void ReadOutput();
    void ChildEnded();
    void FeedOutput(const QByteArray &AData);

    std::unique_ptr<TFileBesideTarget> FConverted;
    std::unique_ptr<Platform::TPipe> FOutput;
    std::unique_ptr<Platform::TChildProcess> FChild;
    QSocketNotifier *FOutputNotifier = nullptr;
    QSocketNotifier *FEndNotifier = nullptr;
    QString FTarget;
    QByteArray FPartLine;
    TFfmpegProgress FProgress;
};
