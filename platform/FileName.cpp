#include "platform/FileName.h"

namespace Platform {

namespace {

constexpr char16_t EscapeBase = 0xDC00;

// The length of the valid UTF-8 sequence at AText[AIndex], 0 when there is none
// (a stray or missing continuation byte, an overlong form, a surrogate, or a
// code point above U+10FFFF).
int ValidSequenceLength(const QByteArray &AText, qsizetype AIndex)
{
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(AText.at(i)); };
    const unsigned char lead = byte(AIndex);
    if (lead < 0x80)
        return 1;
    int length = 0;
    char32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (AIndex + length > AText.size())
        return 0;
    for (int i = 1; i < length; ++i) {
        const unsigned char next = byte(AIndex + i);
        if ((next & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (next & 0x3F);
    }
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

bool IsEscapedByte(char16_t AUnit)
{
    return AUnit >= EscapeBase + 0x80 && AUnit <= EscapeBase + 0xFF;
}

} // namespace

QString DecodeFileName(const QByteArray &ABytes)
{
    QString name;
    qsizetype runStart = 0;
    qsizetype i = 0;
    while (i < ABytes.size()) {
        const int length = ValidSequenceLength(ABytes, i);
        if (length > 0) {
            i += length;
            continue;
        }
        name += QString::fromUtf8(ABytes.constData() + runStart, i - runStart);
        name += QChar(char16_t(EscapeBase + static_cast<unsigned char>(ABytes.at(i))));
        runStart = ++i;
    }
    return name + QString::fromUtf8(ABytes.constData() + runStart, ABytes.size() - runStart);
}

QByteArray EncodeFileName(const QString &AName)
{
    QByteArray bytes;
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < AName.size(); ++i) {
        const char16_t unit = AName.at(i).unicode();
        // An escaped byte is never half of a pair: a high surrogate before it is a lone one too.
        if (!IsEscapedByte(unit) || (i > 0 && AName.at(i - 1).isHighSurrogate()))
            continue;
        bytes += QStringView(AName).mid(runStart, i - runStart).toUtf8();
        bytes += char(unit - EscapeBase);
        runStart = i + 1;
    }
    return bytes + QStringView(AName).mid(runStart).toUtf8();
}

} // namespace Platform
