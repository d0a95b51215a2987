#include "effects/WavCopy.h"

#include "effects/FileSizeOf.h"

#include <QTimer>

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

bool TWavCopy::Open(const QString &AWorkFile, const QString &ATarget, QString *AWhy)
{
    if (!FileExists(AWorkFile))
        return Fail(AWhy, QStringLiteral("there is no result to save: %1").arg(AWorkFile));
    FSource.setFileName(AWorkFile);
    if (!FSource.open(QIODevice::ReadOnly))
        return Fail(AWhy, QStringLiteral("cannot read %1: %2").arg(AWorkFile, FSource.errorString()));
    FSize = FSource.size();
    FTarget.setFileName(ATarget);
    if (!FTarget.open(QIODevice::WriteOnly))
        return Fail(AWhy, QStringLiteral("cannot write %1: %2").arg(ATarget, FTarget.errorString()));
    return true;
}

TWavCopy::TStep TWavCopy::CopyChunk(QString *AWhy)
{
    if (FSource.atEnd())
        return TStep::Done;
    const QByteArray chunk = FSource.read(ChunkSize);
    if ((chunk.isEmpty() && FSource.error() != QFileDevice::NoError) || FTarget.write(chunk) != chunk.size()) {
        FTarget.cancelWriting();
        Fail(AWhy, QStringLiteral("cannot copy to %1: %2").arg(FTarget.fileName(), FTarget.errorString()));
        return TStep::Failed;
    }
    return TStep::More;
}

bool TWavCopy::Commit(QString *AWhy)
{
    if (!FTarget.commit())
        return Fail(AWhy, QStringLiteral("cannot write %1: %2").arg(FTarget.fileName(), FTarget.errorString()));
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
    FTarget.cancelWriting();
    FTarget.commit(); // refused after the cancel: only closes, the target is untouched
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
