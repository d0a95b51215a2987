#include "app/RunFacts.h"

#include "app/FileSizeOf.h"
#include "process/ProcessRunner.h"

#include <QFile>
#include <QtEndian>

namespace {

constexpr qint64 ChunkHeaderSize = 8;
constexpr qint64 RiffHeaderSize = 12; // "RIFF", size, "WAVE"

quint32 LittleEndian32(const QByteArray &ABytes, qsizetype AOffset)
{
    return qFromLittleEndian<quint32>(ABytes.constData() + AOffset);
}

} // namespace

bool WavHasSamples(const QString &AFileName)
{
    QFile file(AFileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray riff = file.read(RiffHeaderSize);
    if (riff.size() < RiffHeaderSize || !riff.startsWith("RIFF") || riff.mid(8, 4) != "WAVE")
        return false;
    // Walk the chunks (fmt, LIST, ...) to "data"; each is padded to an even size.
    qint64 position = RiffHeaderSize;
    while (file.seek(position)) {
        const QByteArray header = file.read(ChunkHeaderSize);
        if (header.size() < ChunkHeaderSize)
            return false;
        const quint32 size = LittleEndian32(header, 4);
        if (header.startsWith("data"))
            return size > 0 && file.size() > position + ChunkHeaderSize;
        position += ChunkHeaderSize + size + (size & 1);
    }
    return false;
}

TRunFacts RunFactsOf(const QString &AWorkFile, const TProcessRunner &ARunner, bool AAbortRequested)
{
    TRunFacts facts;
    facts.WorkFileExists = FileExists(AWorkFile);
    facts.WorkFileSize = FileSizeOf(AWorkFile);
    facts.WorkFileHasSamples = facts.WorkFileExists && WavHasSamples(AWorkFile);
    facts.AbortRequested = AAbortRequested;
    facts.EndStatus = ARunner.EndStatus();
    facts.ExitCode = ARunner.ExitCode();
    return facts;
}
