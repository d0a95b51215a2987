#include "audio/WavWriter.h"

#include <QtEndian>

namespace {

// Written into the header this often, so a killed program loses at most this
// much to a reader that trusts the sizes.
constexpr qint64 SizesEveryMs = 500;

void PutLe32(char *AAt, quint32 AValue)
{
    qToLittleEndian<quint32>(AValue, AAt);
}

void PutLe16(char *AAt, quint16 AValue)
{
    qToLittleEndian<quint16>(AValue, AAt);
}

} // namespace

TWavWriter::TWavWriter(qint64 AMaxDataBytes)
    : FMaxDataBytes(AMaxDataBytes)
{}

TWavWriter::~TWavWriter()
{
    if (FFile.isOpen())
        Finish();
}

QByteArray TWavWriter::Header(const TPcmFormat &AFormat, quint32 ADataBytes)
{
    QByteArray header(HeaderBytes, '\0');
    char *at = header.data();
    const quint32 riffSize = ADataBytes == UnknownSize ? UnknownSize : ADataBytes + HeaderBytes - 8;
    memcpy(at, "RIFF", 4);
    PutLe32(at + 4, riffSize);
    memcpy(at + 8, "WAVEfmt ", 8);
    PutLe32(at + 16, 16);
    PutLe16(at + 20, 1); // PCM
    PutLe16(at + 22, quint16(AFormat.Channels));
    PutLe32(at + 24, quint32(AFormat.SampleRate));
    PutLe32(at + 28, quint32(AFormat.SampleRate * AFormat.BytesPerFrame()));
    PutLe16(at + 32, quint16(AFormat.BytesPerFrame()));
    PutLe16(at + 34, 16);
    memcpy(at + 36, "data", 4);
    PutLe32(at + 40, ADataBytes);
    return header;
}

bool TWavWriter::Open(const QString &APath, const TPcmFormat &AFormat, bool AReplace)
{
    FFormat = AFormat;
    FWritten = 0;
    FSizesAt = 0;
    FError.clear();
    FFile.setFileName(APath);
    const QIODevice::OpenMode mode =
        QIODevice::WriteOnly | QIODevice::Unbuffered | (AReplace ? QIODevice::Truncate : QIODevice::NewOnly);
    if (!FFile.open(mode)) {
        FError = FFile.errorString();
        return false;
    }
    if (FFile.write(Header(AFormat, UnknownSize)) != HeaderBytes) {
        FError = FFile.errorString();
        FFile.close();
        FFile.remove();
        return false;
    }
    return true;
}

qint64 TWavWriter::DataBytes() const
{
    return FWritten - FWritten % FFormat.BytesPerFrame();
}

bool TWavWriter::Append(const char *AData, qint64 ASize)
{
    if (!FFile.isOpen() || Failed())
        return false;
    const qint64 room = FMaxDataBytes - FWritten;
    const qint64 size = std::min(ASize, room);
    const qint64 written = size > 0 ? FFile.write(AData, size) : 0;
    if (written > 0)
        FWritten += written;
    if (written < size) {
        Fail(FFile.errorString());
        return false;
    }
    if (size < ASize) {
        Fail(QStringLiteral("the recording reached the largest size a WAV file can hold"));
        return false;
    }
    if (FWritten - FSizesAt >= FFormat.BytesForMs(SizesEveryMs) && !WriteSizes(quint32(DataBytes())))
        return false;
    return true;
}

bool TWavWriter::WriteSizes(quint32 ADataBytes)
{
    // Overwrites bytes already on the disk: needs no room, so it works on a full disk too.
    const QByteArray header = Header(FFormat, ADataBytes);
    const qint64 end = HeaderBytes + FWritten;
    const bool ok = FFile.seek(4) && FFile.write(header.constData() + 4, 4) == 4 && FFile.seek(40)
                    && FFile.write(header.constData() + 40, 4) == 4 && FFile.seek(end);
    if (!ok) {
        if (!Failed())
            FError = FFile.errorString();
        return false;
    }
    FSizesAt = FWritten;
    return true;
}

void TWavWriter::Fail(const QString &AText)
{
    FError = AText;
    // The sizes of what was written, so the file stays whole even if Finish never runs.
    WriteSizes(quint32(DataBytes()));
}

bool TWavWriter::Finish()
{
    if (!FFile.isOpen())
        return !Failed();
    const qint64 data = DataBytes();
    // A partial last frame would be read as a sample of the next channel.
    const bool trimmed = FWritten == data || FFile.resize(HeaderBytes + data);
    FWritten = data;
    const QString earlier = FError;
    const bool sized = WriteSizes(quint32(data));
    FFile.close();
    if (!earlier.isEmpty())
        FError = earlier;
    return trimmed && sized && earlier.isEmpty();
}
