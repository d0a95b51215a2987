#include "platform/SystemCodePage.h"

namespace Platform {

namespace {

// Length of the UTF-8 sequence a lead byte starts, 1 for anything else.
int SequenceLength(unsigned char ALead)
{
    if (ALead >= 0xF0 && ALead <= 0xF4)
        return 4;
    if (ALead >= 0xE0)
        return ALead <= 0xEF ? 3 : 1;
    if (ALead >= 0xC2)
        return 2;
    return 1;
}

// Bytes at the end of ABytes that begin a sequence not yet complete.
qsizetype IncompleteTail(const QByteArray &ABytes)
{
    const qsizetype n = ABytes.size();
    for (qsizetype back = 1; back <= 3 && back <= n; ++back) {
        const auto c = static_cast<unsigned char>(ABytes[n - back]);
        if ((c & 0xC0) == 0x80)
            continue; // a continuation byte: look further back for its lead
        return SequenceLength(c) > back ? back : 0;
    }
    return 0;
}

} // namespace

QString TSystemDecoder::Decode(const QByteArray &ABytes)
{
    QByteArray bytes = FHeld.isEmpty() ? ABytes : FHeld + ABytes;
    const qsizetype tail = IncompleteTail(bytes);
    FHeld = bytes.right(tail);
    bytes.chop(tail);
    return QString::fromLocal8Bit(bytes);
}

QString TSystemDecoder::Finish()
{
    const QString rest = QString::fromLocal8Bit(FHeld);
    FHeld.clear();
    return rest;
}

QByteArray EncodeSystem(const QString &AText)
{
    return AText.toLocal8Bit();
}

} // namespace Platform
