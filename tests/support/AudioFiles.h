#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Real sound files for the tests, made by the installed ffmpeg.

struct TFfmpegRun
{
    int ExitCode = -1;
    QByteArray Output; // standard output and error, merged
};

// Runs ffmpeg with AArguments (no shell) and waits for it.
TFfmpegRun RunFfmpeg(const QStringList &AArguments);

// Writes ASeconds of a sine tone as a WAV file; returns false when ffmpeg failed.
bool WriteSineWav(const QString &APath, double ASeconds);
