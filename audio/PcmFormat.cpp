#include "audio/PcmFormat.h"

QStringList TPcmFormat::FfmpegArguments() const
{
    return {QStringLiteral("-f"),  QStringLiteral("s16le"),   QStringLiteral("-ar"),
            QString::number(SampleRate), QStringLiteral("-ac"), QString::number(Channels)};
}

QAudioFormat TPcmFormat::AudioFormat() const
{
    QAudioFormat format;
    format.setSampleRate(SampleRate);
    format.setChannelCount(Channels);
    format.setSampleFormat(QAudioFormat::Int16);
    return format;
}
