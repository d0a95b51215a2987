#pragma once

#include <QString>

// Whether AFileName holds sound to play. False when it is missing, not a file,
// 0 bytes long, or a WAV file (RIFF/RF64 "WAVE") whose "data" chunk is absent,
// of size 0, or followed by no bytes: ffmpeg writes exactly such a header, with
// success, when a filter chain leaves no samples. A data size of 0xFFFFFFFF or
// one past the end of the file (a header written by a run that was stopped)
// counts as samples when bytes follow it. Other files count by their size:
// only WAV headers are read.
bool SoundFileHasSamples(const QString &AFileName);
