#pragma once

#include <QAudioFormat>
#include <QStringList>

// The raw sound that streams between ffmpeg and the sound server: interleaved
// 16-bit signed little-endian samples. Both ends are told the same format, so
// nothing in between converts.
struct TPcmFormat
{
    int SampleRate = 44100;
    int Channels = 2;

    // What ffmpeg needs after -i ... to write this format: "-f s16le -ar R -ac C".
    QStringList FfmpegArguments() const;
    QAudioFormat AudioFormat() const;

    int BytesPerFrame() const { return Channels * 2; }
    qint64 BytesForMs(qint64 AMs) const { return AMs * SampleRate / 1000 * BytesPerFrame(); }
    qint64 MsForBytes(qint64 ABytes) const { return ABytes / BytesPerFrame() * 1000 / SampleRate; }
};
