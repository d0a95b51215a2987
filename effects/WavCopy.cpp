#include "effects/WavCopy.h"

#include "effects/FileBesideTarget.h"
#include "effects/FileSizeOf.h"
#include "effects/SaveTarget.h"
#include "platform/FileName.h"

#include <QFileInfo>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Small enough that a turn of the event loop stays short on a slow disk.
constexpr qint64 ChunkSize = 1 << 20;

bool Fail(QString *AWhy, const QString &AReason)
{
    if (AWhy)
        *AWhy = AReason;
    return false;
}

} // namespace

TWavCopy::TWavCopy(QObject *AParent)
    : TSaveJob(AParent)
{}

// A copy not committed is deleted with FBeside; the target stays as it was.
TWavCopy::~TWavCopy() = default;

bool TWavCopy::Open(const QString &AWorkFile, const QString &ATarget, QString *AWhy)
{
    if (!FileExists(AWorkFile))
        return Fail(AWhy, QStringLiteral("there is no result to save: %1").arg(AWorkFile));
    FSource.setFileName(AWorkFile);
    if (!FSource.open(QIODevice::ReadOnly))
        return Fail(AWhy, QStringLiteral("cannot read %1: %2").arg(AWorkFile, FSource.errorString()));
    FSize = FSource.size();
    const QString refusal = SaveTargetRefusal(ATarget);
    if (!refusal.isEmpty())
        return Fail(AWhy, refusal);
    FTargetName = ATarget;
    // Written beside the target and renamed over it, opened by the name's own bytes.
    FBeside = std::make_unique<TFileBesideTarget>(SaveTargetFile(QFileInfo(ATarget).absoluteFilePath()));
    if (!FBeside->Create())
        return Fail(AWhy, QStringLiteral("cannot write beside %1: %2").arg(ATarget, FBeside->ErrorText()));
    const int fd = ::open(Platform::EncodeFileName(FBeside->Path()).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0 || !FTarget.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        FBeside.reset();
        return Fail(AWhy, QStringLiteral("cannot write %1: %2").arg(ATarget, QString::fromLocal8Bit(strerror(error))));
    }
    return true;
}

TWavCopy::TStep TWavCopy::CopyChunk(QString *AWhy)
{
    if (FSource.atEnd())
        return TStep::Done;
    const QByteArray chunk = FSource.read(ChunkSize);
    if ((chunk.isEmpty() && FSource.error() != QFileDevice::NoError) || FTarget.write(chunk) != chunk.size()) {
        Fail(AWhy, QStringLiteral("cannot copy to %1: %2").arg(FTargetName, FTarget.errorString()));
        FTarget.close();
        FBeside.reset();
        return TStep::Failed;
    }
    return TStep::More;
}

bool TWavCopy::Commit(QString *AWhy)
{
    const bool flushed = FTarget.flush();
    const QString error = FTarget.errorString();
    FTarget.close();
    if (!flushed) {
        FBeside.reset();
        return Fail(AWhy, QStringLiteral("cannot copy to %1: %2").arg(FTargetName, error));
    }
    const bool replaced = FBeside->ReplaceTarget();
    const QString replaceError = FBeside->ErrorText();
    FBeside.reset();
    if (!replaced)
        return Fail(AWhy, QStringLiteral("cannot replace %1: %2").arg(FTargetName, replaceError));
    return true;
}

bool TWavCopy::CopyAll(QString *AWhy)
{
    TStep step;
    while ((step = CopyChunk(AWhy)) == TStep::More) {
    }
    return step == TStep::Done && Commit(AWhy);
}

bool TWavCopy::Start(const QString &AWorkFile, const QString &ATarget, QString *AWhy)
{
    if (!Open(AWorkFile, ATarget, AWhy))
        return false;
    FTimer = new QTimer(this);
    connect(FTimer, &QTimer::timeout, this, &TWavCopy::CopyNextChunk);
    FTimer->start(0);
    return true;
}

void TWavCopy::Cancel()
{
    if (!FTimer || !FTimer->isActive())
        return;
    FTimer->stop();
    FCancelled = true;
    FTarget.close();
    FBeside.reset(); // the copy goes, the target is untouched
    emit Finished(false, QStringLiteral("the copy was stopped"));
}

void TWavCopy::CopyNextChunk()
{
    QString why;
    const TStep step = CopyChunk(&why);
    if (step == TStep::More) {
        if (FSize > 0)
            emit Progress(double(FSource.pos()) / double(FSize));
        return;
    }
    FTimer->stop();
    const bool saved = step == TStep::Done && Commit(&why);
    emit Finished(saved, why);
}
