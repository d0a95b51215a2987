#include "AudioFiles.h"
#include "app/FfmpegProgress.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

constexpr double Unknown = -1;

struct TProgressCase
{
    const char *Name;
    std::vector<const char *> Lines;
    double Fraction; // Unknown: no fraction expected
    double LengthFactor = 1;
};

void PrintTo(const TProgressCase &ACase, std::ostream *AStream)
{
    *AStream << ACase.Name;
}

const char *const Input10s = "  Duration: 00:00:10.00, start: 0.025057, bitrate: 128 kb/s";

const TProgressCase ProgressCases[] = {
    {"HalfOfAMinutesLongInput",
     {"Input #0, mp3, from 'a b.mp3':", "  Duration: 00:03:12.34, start: 0.025057, bitrate: 128 kb/s",
      "size=    1024kB time=00:01:36.17 bitrate= 705.6kbits/s speed= 190x"},
     0.5},
    {"HoursCount", {"  Duration: 01:00:00.00, bitrate: 705 kb/s", "size=1kB time=00:30:00.00 bitrate=N/A"}, 0.5},
    {"DurationBeforeAnyProgress", {Input10s}, 0},
    {"LastTimeWins",
     {Input10s, "size=1kB time=00:00:02.00 bitrate=N/A", "size=2kB time=00:00:07.50 bitrate=N/A"},
     0.75},
    {"CarriageReturnInsideALine",
     {Input10s, "size=1kB time=00:00:02.00 bitrate=N/A speed=N/A    \rsize=2kB time=00:00:04.00 bitrate=N/A"},
     0.4},
    {"UnknownTimeKeepsTheLastOne",
     {Input10s, "size=1kB time=00:00:02.50 bitrate=N/A", "size=N/A time=N/A bitrate=N/A"},
     0.25},
    {"NegativeTimeIsTheStart", {Input10s, "size=0kB time=-00:00:00.05 bitrate=N/A speed=N/A"}, 0},
    {"TimePastTheEndIsTheEnd", {Input10s, "size=9kB time=00:00:12.00 bitrate=N/A"}, 1},
    {"OnlyTheFirstDurationCounts",
     {Input10s, "Output #0, wav, to 'out.wav':", "  Duration: 00:00:20.00, bitrate: N/A",
      "size=1kB time=00:00:05.00 bitrate=N/A"},
     0.5},
    {"UnknownDuration",
     {"  Duration: N/A, start: 0.000000, bitrate: 705 kb/s", "size=1kB time=00:00:05.00 bitrate=N/A"},
     Unknown},
    {"NaDurationIsNotReplacedByALaterOne",
     {"  Duration: N/A, bitrate: N/A", "  Duration: 00:00:20.00, bitrate: N/A",
      "size=1kB time=00:00:05.00 bitrate=N/A"},
     Unknown},
    {"ZeroDuration", {"  Duration: 00:00:00.00, bitrate: N/A", "size=1kB time=00:00:00.00 bitrate=N/A"}, Unknown},
    {"NoDurationLine", {"size=1kB time=00:00:05.00 bitrate=N/A"}, Unknown},
    {"OtherTimesAreNoProgress",
     {Input10s, "    creation_time   : 2023-01-01T00:00:00.000000Z", "    start_time=00:00:09.00",
      "size=1kB time=00:00:01.00"},
     0.1},
    {"LengthFactorForTempoChanges", {Input10s, "size=1kB time=00:00:10.00 bitrate=N/A"}, 0.5, 2},
};

class FfmpegProgressTable : public ::testing::TestWithParam<TProgressCase>
{};

} // namespace

TEST_P(FfmpegProgressTable, AnswersTheFractionOfTheRun)
{
    const TProgressCase &c = GetParam();
    TFfmpegProgress progress;
    progress.SetLengthFactor(c.LengthFactor);
    for (const char *line : c.Lines)
        progress.Feed(QString::fromUtf8(line));
    if (c.Fraction == Unknown) {
        EXPECT_FALSE(progress.Fraction().has_value()) << *progress.Fraction();
    } else {
        ASSERT_TRUE(progress.Fraction().has_value());
        EXPECT_NEAR(*progress.Fraction(), c.Fraction, 1e-3);
    }
}

INSTANTIATE_TEST_SUITE_P(Lines, FfmpegProgressTable, ::testing::ValuesIn(ProgressCases),
                         [](const auto &AInfo) { return std::string(AInfo.param.Name); });

TEST(FfmpegProgress, FeedTellsWhetherTheFractionChangedAndResetForgetsTheRun)
{
    TFfmpegProgress progress;
    EXPECT_FALSE(progress.Feed(QStringLiteral("Input #0, wav, from 'in.wav':")));
    EXPECT_TRUE(progress.Feed(QString::fromUtf8(Input10s)));
    EXPECT_TRUE(progress.Feed(QStringLiteral("size=1kB time=00:00:05.00 bitrate=N/A")));
    EXPECT_FALSE(progress.Feed(QStringLiteral("size=1kB time=00:00:05.00 bitrate=N/A")));

    progress.Reset();
    EXPECT_FALSE(progress.Fraction().has_value());
    EXPECT_FALSE(progress.DurationSeconds().has_value());
    progress.Feed(QStringLiteral("  Duration: 00:00:04.00, bitrate: N/A"));
    EXPECT_EQ(progress.Fraction(), 0.0) << "the last run's time must not carry over";
}

// Lines as the process runner delivers them: CR, LF and CR LF each end a line.
static QStringList SplitIntoLines(const QByteArray &AOutput)
{
    return QString::fromUtf8(AOutput).split(QRegularExpression(QStringLiteral("\r\n|\r|\n")), Qt::SkipEmptyParts);
}

TEST(FfmpegProgress, FollowsARealRunToItsEnd)
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("sine 3 s.wav"));
    ASSERT_TRUE(WriteSineWav(input, 3));
    const TFfmpegRun run =
        RunFfmpeg({QStringLiteral("-y"), QStringLiteral("-i"), input, QStringLiteral("-af"),
                   QStringLiteral("aecho=0.8:0.88:60:0.4"), dir.filePath(QStringLiteral("out.wav"))});
    ASSERT_EQ(run.ExitCode, 0) << run.Output.toStdString();

    TFfmpegProgress progress;
    double last = 0;
    int progressLines = 0;
    for (const QString &line : SplitIntoLines(run.Output)) {
        SCOPED_TRACE(line.toStdString());
        progress.Feed(line);
        if (line.contains(QStringLiteral("time=")))
            ++progressLines;
        if (!progress.DurationSeconds())
            continue;
        ASSERT_TRUE(progress.Fraction().has_value());
        EXPECT_GE(*progress.Fraction(), last) << "progress went back";
        last = *progress.Fraction();
    }
    ASSERT_TRUE(progress.DurationSeconds().has_value()) << run.Output.toStdString();
    EXPECT_NEAR(*progress.DurationSeconds(), 3.0, 0.01);
    EXPECT_GE(progressLines, 1);
    EXPECT_NEAR(last, 1.0, 0.01);
}
