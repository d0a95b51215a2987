#pragma once

#include "audio/PcmFormat.h"

#include <QFile>
#include <QString>

// Writes a 16-bit PCM WAV file as the samples arrive, so that the file is a WAV
// a reader can play at every moment, even if the program is killed: the header
// goes first with the "length unknown, read to the end" sizes that ffmpeg and
// GStreamer accept, and the real sizes are written into it every half second of
// sound and at Finish. A write that fails (a full disk) ends the file with what
// was written; nothing written before is lost.
class TWavWriter
{
public:
    // The largest data chunk a WAV file can describe (its sizes are 32-bit).
    static constexpr qint64 MaxDataBytes = 0xFFFFFFFFLL - 36 - 1;
    // What the sizes hold until they are first written: "unknown, to the end".
    static constexpr quint32 UnknownSize = 0xFFFFFFFFu;
    static constexpr int HeaderBytes = 44;

    // AMaxDataBytes below MaxDataBytes is for tests of the size limit.
    explicit TWavWriter(qint64 AMaxDataBytes = MaxDataBytes);
    ~TWavWriter();
    TWavWriter(const TWavWriter &) = delete;
    TWavWriter &operator=(const TWavWriter &) = delete;

    // Creates APath (replacing a file there only with AReplace) and writes the
    // header. False with ErrorText() when it cannot; nothing is left behind then.
    bool Open(const QString &APath, const TPcmFormat &AFormat, bool AReplace = false);
    // Appends samples. False once a write failed or the size limit was reached:
    // the file then ends with the whole frames that were written.
    bool Append(const char *AData, qint64 ASize);
    // Writes the final sizes and closes; false when that failed (ErrorText()).
    bool Finish();

    bool IsOpen() const { return FFile.isOpen(); }
    // Whole frames written so far, in bytes.
    qint64 DataBytes() const;
    qint64 DurationMs() const { return FFormat.MsForBytes(DataBytes()); }
    const TPcmFormat &Format() const { return FFormat; }
    QString FilePath() const { return FFile.fileName(); }
    QString ErrorText() const { return FError; }
    bool Failed() const { return !FError.isEmpty(); }

    // The 44-byte header of a file with ADataBytes of samples (UnknownSize: unknown).
    static QByteArray Header(const TPcmFormat &AFormat, quint32 ADataBytes);

private:
    bool WriteSizes(quint32 ADataBytes);
    void Fail(const QString &AText);

    const qint64 FMaxDataBytes;
    QFile FFile;
    TPcmFormat FFormat;
    qint64 FWritten = 0; // bytes of samples in the file, a partial frame included
    qint64 FSizesAt = 0; // FWritten when the sizes were last written
    QString FError;
};
