#include "effects/Mp3Conversion.h"

#include "effects/FileBesideTarget.h"
#include "effects/ResultSaver.h"
#include "effects/RunAndWait.h"
#include "platform/ChildProcess.h"
#include "platform/ExecutableFolder.h"
#include "platform/NullDevice.h"
#include "platform/Pipe.h"

#include <QFileInfo>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <unistd.h>

TMp3Conversion::TMp3Conversion(QObject *AParent)
    : TSaveJob(AParent)
    , FOutput(std::make_unique<Platform::TPipe>())
    , FChild(std::make_unique<Platform::TChildProcess>())
{}

TMp3Conversion::~TMp3Conversion()
{
    // The tool must be gone before its file is removed, or it could write the
    // file anew; a killed child ends at once.
    if (FChild->Started() && !FChild->HasEnded()) {
        FChild->Kill();
        FChild->WaitForEnd(-1);
    }
    FConverted.reset();
}

bool TMp3Conversion::Start(const QString &AWorkFile, const QString &ATarget, QString *AWhy)
{
    FTarget = QFileInfo(ATarget).absoluteFilePath();
    FConverted = CreateMp3BesideTarget(FTarget, AWhy);
    if (!FConverted)
        return false;
    TRunAndWaitResult result;
    const Platform::TNullInput input;
    if ((result.StartError = FOutput->Create()) == 0 && (result.StartError = input.Error()) == 0) {
        Platform::TChildOptions options;
        options.StdIn = input.Fd();
        options.StdOut = FOutput->WriteEnd();
        options.StdErr = FOutput->WriteEnd();
        options.WorkingFolder = Platform::ExecutableFolder();
        result.StartError = FChild->Start(
            Mp3ConversionCommand(QFileInfo(AWorkFile).absoluteFilePath(), FConverted->Path()), options);
        FOutput->CloseWrite(); // else the output never ends
    }
    if (result.StartError != 0) {
        ConcludeMp3Conversion(result, *FConverted, FTarget, AWhy);
        FConverted.reset();
        return false;
    }
    Platform::SetNonBlocking(FOutput->ReadEnd());
    FOutputNotifier = new QSocketNotifier(FOutput->ReadEnd(), QSocketNotifier::Read, this);
    connect(FOutputNotifier, &QSocketNotifier::activated, this, &TMp3Conversion::ReadOutput);
    FEndNotifier = new QSocketNotifier(FChild->PidFd(), QSocketNotifier::Read, this);
    connect(FEndNotifier, &QSocketNotifier::activated, this, &TMp3Conversion::ChildEnded);
    return true;
}

void TMp3Conversion::Cancel()
{
    if (!IsRunning())
        return;
    FCancelled = true;
    FChild->Kill();
}

bool TMp3Conversion::IsRunning() const
{
    return FChild->Started() && !FChild->HasEnded();
}

void TMp3Conversion::ReadOutput()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(FOutput->ReadEnd(), buffer, sizeof buffer);
        if (n > 0) {
            FeedOutput(QByteArray(buffer, n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || errno != EAGAIN)
            FOutputNotifier->setEnabled(false); // the end, or nothing more to read
        return;
    }
}

void TMp3Conversion::FeedOutput(const QByteArray &AData)
{
    // Progress lines end with a carriage return, the others with a line feed.
    FPartLine += AData;
    for (;;) {
        const auto end = std::find_if(FPartLine.cbegin(), FPartLine.cend(),
                                      [](char AChar) { return AChar == '\r' || AChar == '\n'; });
        if (end == FPartLine.cend())
            return;
        const qsizetype length = end - FPartLine.cbegin();
        const bool changed = FProgress.Feed(QString::fromLocal8Bit(FPartLine.left(length)));
        FPartLine.remove(0, length + 1);
        if (changed && FProgress.Fraction())
            emit Progress(*FProgress.Fraction());
    }
}

void TMp3Conversion::ChildEnded()
{
    if (!FChild->TryReap())
        return;
    FEndNotifier->setEnabled(false);
    if (FOutputNotifier->isEnabled())
        ReadOutput();
    FOutputNotifier->setEnabled(false);
    TRunAndWaitResult result;
    result.Started = true;
    result.Stopped = FCancelled;
    result.ExitCode = FChild->ExitCode();
    QString why;
    const bool saved = ConcludeMp3Conversion(result, *FConverted, FTarget, &why);
    FConverted.reset();
    emit Finished(saved, why);
}
