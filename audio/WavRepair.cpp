#include "audio/WavRepair.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

namespace {

struct TDataChunk
{
    qint64 SizeAt = -1; // where the data chunk's size field is
    qint64 Start = 0;   // first sample byte
    quint32 Size = 0;   // what the header says
    int BlockAlign = 0;
};

quint32 Le32(const QByteArray &ABytes, qint64 AAt)
{
    return qFromLittleEndian<quint32>(ABytes.constData() + AAt);
}

// Walks the chunks up to "data"; the fmt chunk must come first and be PCM.
TDataChunk FindData(const QByteArray &AHead)
{
    TDataChunk chunk;
    if (AHead.size() < 12 || !AHead.startsWith("RIFF") || AHead.mid(8, 4) != "WAVE")
        return chunk;
    qint64 at = 12;
    while (at + 8 <= AHead.size()) {
        const QByteArray id = AHead.mid(at, 4);
        const quint32 size = Le32(AHead, at + 4);
        if (id == "fmt " && at + 8 + 16 <= AHead.size()) {
            if (qFromLittleEndian<quint16>(AHead.constData() + at + 8) != 1)
                return chunk;
            chunk.BlockAlign = qFromLittleEndian<quint16>(AHead.constData() + at + 20);
        } else if (id == "data") {
            chunk.SizeAt = at + 4;
            chunk.Start = at + 8;
            chunk.Size = size;
            return chunk;
        }
        at += 8 + size + (size & 1);
    }
    return chunk;
}

// Whether a chunk header (four printable characters and a size that fits the
// file) starts at AAt.
bool ChunkAt(QFile &AFile, qint64 AAt)
{
    if (!AFile.seek(AAt))
        return false;
    const QByteArray head = AFile.read(8);
    if (head.size() < 8)
        return false;
    for (int i = 0; i < 4; ++i)
        if (head[i] < 0x20 || head[i] > 0x7e)
            return false;
    return AAt + 8 + Le32(head, 4) <= AFile.size();
}

} // namespace

TWavRepair::TResult TWavRepair::Repair(const QString &APath)
{
    QFile file(APath);
    if (!file.open(QIODevice::ReadWrite))
        return TResult::Failed;
    const TDataChunk data = FindData(file.read(4096));
    if (data.SizeAt < 0 || data.BlockAlign <= 0)
        return TResult::NotWav;
    const qint64 rest = file.size() - data.Start;
    const quint32 whole = quint32(std::min<qint64>(rest - rest % data.BlockAlign, 0xFFFFFFFFLL - data.Start));
    // A size smaller than the file is mended unless another chunk follows the
    // samples (a list of tags, say): that file is complete as it is.
    const bool chunkFollows = data.Size < whole && ChunkAt(file, data.Start + data.Size);
    if (data.Size == whole || chunkFollows)
        return TResult::AlreadyValid;
    QByteArray sizes(4, '\0');
    qToLittleEndian<quint32>(quint32(data.Start + whole - 8), sizes.data());
    const bool riff = file.seek(4) && file.write(sizes) == 4;
    qToLittleEndian<quint32>(whole, sizes.data());
    const bool chunk = file.seek(data.SizeAt) && file.write(sizes) == 4;
    return riff && chunk ? TResult::Repaired : TResult::Failed;
}

int TWavRepair::RepairFolder(const QString &AFolder)
{
    int repaired = 0;
    const QDir folder(AFolder);
    for (const QString &name : folder.entryList({QStringLiteral("*.wav")}, QDir::Files))
        if (Repair(folder.filePath(name)) == TResult::Repaired)
            ++repaired;
    return repaired;
}
