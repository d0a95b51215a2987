#include "app/FfmpegProgress.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

namespace {

// "hh:mm:ss.ff" with an optional sign, as ffmpeg prints times; "N/A" does not match.
const QString TimePattern = QStringLiteral(R"((-?)(\d+):(\d{2}):(\d{2}(?:\.\d+)?))");

double Seconds(const QRegularExpressionMatch &AMatch)
{
    const double value =
        AMatch.captured(2).toDouble() * 3600 + AMatch.captured(3).toDouble() * 60 + AMatch.captured(4).toDouble();
    return AMatch.captured(1).isEmpty() ? value : -value;
}

} // namespace

bool TFfmpegProgress::Feed(const QString &ALine)
{
    const std::optional<double> before = Fraction();
    for (const QString &part : ALine.split(QRegularExpression(QStringLiteral("[\r\n]")), Qt::SkipEmptyParts))
        FeedPart(part);
    return Fraction() != before;
}

void TFfmpegProgress::FeedPart(const QString &APart)
{
    static const QRegularExpression durationLine(QStringLiteral(R"(^\s*Duration:\s*(\S+?),?(?:\s|$))"));
    static const QRegularExpression durationTime(QStringLiteral("^") + TimePattern + QStringLiteral("$"));
    static const QRegularExpression progressTime(QStringLiteral(R"((?:^|\s)time=\s*)") + TimePattern);

    // Only the first "Duration:" is the input's; later ones belong to outputs.
    if (!FDurationSeen) {
        const QRegularExpressionMatch line = durationLine.match(APart);
        if (line.hasMatch()) {
            FDurationSeen = true;
            const QRegularExpressionMatch time = durationTime.match(line.captured(1));
            if (time.hasMatch() && Seconds(time) > 0)
                FDuration = Seconds(time);
            return;
        }
    }
    const QRegularExpressionMatch progress = progressTime.match(APart);
    if (progress.hasMatch())
        FTime = std::max(0.0, Seconds(progress));
}

void TFfmpegProgress::Reset()
{
    FDurationSeen = false;
    FDuration.reset();
    FTime = 0;
}

void TFfmpegProgress::SetLengthFactor(double AValue)
{
    FLengthFactor = AValue > 0 ? AValue : 1;
}

std::optional<double> TFfmpegProgress::DurationSeconds() const
{
    return FDuration;
}

std::optional<double> TFfmpegProgress::Fraction() const
{
    if (!FDuration)
        return std::nullopt;
    return std::clamp(FTime / (*FDuration * FLengthFactor), 0.0, 1.0);
}
