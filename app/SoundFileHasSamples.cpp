#include "app/SoundFileHasSamples.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

namespace {

constexpr qint64 RiffHeaderBytes = 12;
constexpr qint64 ChunkHeaderBytes = 8;

bool IsWaveHeader(const QByteArray &AHeader)
{
    return AHeader.size() == RiffHeaderBytes && (AHeader.startsWith("RIFF") || AHeader.startsWith("RF64"))
           && AHeader.mid(8, 4) == "WAVE";
}

// Walks the chunks after the RIFF header to the "data" chunk.
bool DataChunkHasSamples(QFile &AFile)
{
    const qint64 fileSize = AFile.size();
    qint64 position = RiffHeaderBytes;
    while (position + ChunkHeaderBytes <= fileSize) {
        if (!AFile.seek(position))
            return false;
        const QByteArray header = AFile.read(ChunkHeaderBytes);
        if (header.size() != ChunkHeaderBytes)
            return false;
        const quint32 size = qFromLittleEndian<quint32>(header.constData() + 4);
        const qint64 body = position + ChunkHeaderBytes;
        if (header.startsWith("data"))
            return size != 0 && body < fileSize;
        // Chunks are padded to an even length.
        position = body + size + (size & 1);
    }
    return false;
}

} // namespace

bool SoundFileHasSamples(const QString &AFileName)
{
    const QFileInfo info(AFileName);
    if (!info.isFile() || info.size() <= 0)
        return false;
    QFile file(AFileName);
    if (!file.open(QIODevice::ReadOnly))
        return true; // nothing to read, so judged by its size like any other file
    if (!IsWaveHeader(file.read(RiffHeaderBytes)))
        return true;
    return DataChunkHasSamples(file);
}
