// ffmpeg's output lines, whole and partial, as the progress reading takes them.
#include "effects/FfmpegProgress.h"

#include <QStringList>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *AData, size_t ASize)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(AData), static_cast<qsizetype>(ASize));
    TFfmpegProgress progress;
    progress.SetLengthFactor(0.5);
    for (const QString &line : text.split(u'\n')) {
        progress.FeedOutput(line, otBeginningOfLine);
        progress.FeedOutput(line, otEntireLine);
        const std::optional<double> fraction = progress.Fraction();
        if (fraction && !(*fraction >= 0 && *fraction <= 1))
            std::abort(); // a fraction outside 0..1 would draw a broken bar
    }
    return 0;
}
