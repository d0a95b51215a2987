#include "audio/PreviewPlayer.h"

#include "effects/EffectPresets.h"
#include "platform/CommandLine.h"
#include "support/SharedPulseServer.h"
#include "support/SoundAnalysis.h"
#include "support/SoundInputs.h"
#include "support/TestFolder.h"
#include "support/WaitFor.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

constexpr int Rate = TPulseServer::Rate;

size_t SampleAt(int64_t AMs, int64_t ARecordingStartMs)
{
    return size_t(std::max<int64_t>(0, AMs - ARecordingStartMs) * Rate / 1000);
}

} // namespace

// The preview against a private sound server: what reaches the speakers is
// recorded and compared with what it should be.
class PreviewPlayerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!TSharedPulseServer::Server)
            GTEST_SKIP() << "pulseaudio is not installed";
        ASSERT_TRUE(Server().IsRunning()) << Server().Error().toStdString();
    }

    // A tone rising by 100 Hz a second from 200 Hz: its pitch tells the position.
    QString RisingTone(double ASeconds)
    {
        const QString path = FFolder.FilePath(QStringLiteral("rising.wav"));
        const QString source = QStringLiteral("aevalsrc=0.5*sin(2*PI*(200*t+50*t*t)):s=44100:d=%1").arg(ASeconds);
        EXPECT_EQ(SoundInputs::Run(QStringLiteral("ffmpeg"),
                                   {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"),
                                    QStringLiteral("lavfi"), QStringLiteral("-i"), source, path}),
                  0);
        return path;
    }

    std::vector<int16_t> PlayToTheEnd(TPreviewPlayer &APlayer, const QString &AInput, const TPreviewEffect &AEffect)
    {
        QSignalSpy finished(&APlayer, &TPreviewPlayer::Finished);
        QSignalSpy failed(&APlayer, &TPreviewPlayer::Failed);
        EXPECT_TRUE(Server().StartRecording());
        APlayer.Start(AInput, AEffect);
        EXPECT_TRUE(WaitUntil([&] { return !finished.isEmpty() || !failed.isEmpty(); }, 60000));
        EXPECT_TRUE(failed.isEmpty()) << failed.value(0).value(0).toString().toStdString();
        QTest::qWait(200);
        return Server().StopRecording();
    }

    static TPulseServer &Server() { return *TSharedPulseServer::Server; }
    TTestFolder FFolder;
};

struct TPreviewCase
{
    const char *Name;
    TPreviewEffect Effect;
    friend void PrintTo(const TPreviewCase &ACase, std::ostream *AOut) { *AOut << ACase.Name; }
};

class PreviewSoundsLikePlay : public PreviewPlayerTest, public ::testing::WithParamInterface<TPreviewCase>
{
};

// What Play writes for the same effect is what the preview lets one hear.
TEST_P(PreviewSoundsLikePlay, TheRecordedSoundMatchesPlaysResult)
{
    const TPreviewEffect effect = GetParam().Effect;
    const QString speech = FFolder.FilePath(QStringLiteral("speech.wav"));
    ASSERT_TRUE(SoundAnalysis::MakeSpeech(speech, QStringLiteral("the quick brown fox jumps over the lazy dog")));
    QStringList play = Platform::SplitCommandLine(
        BuildEffectCommand(speech, effect.Item, effect.RatePosition, effect.TempoPosition));
    const QString result = FFolder.FilePath(QStringLiteral("result.wav"));
    play.last() = result;
    ASSERT_EQ(SoundInputs::Run(play.takeFirst(), play), 0);
    const std::vector<int16_t> expected = SoundAnalysis::DecodeMono(result);
    ASSERT_FALSE(expected.empty());

    TPreviewPlayer player;
    const std::vector<int16_t> heard = PlayToTheEnd(player, speech, effect);

    const SoundAnalysis::TAlignment alignment = SoundAnalysis::Align(expected, heard, Rate * 3);
    EXPECT_GT(alignment.Correlation, 0.9) << "underruns: " << player.Underruns();
    // All of it was heard, not only a start: the recording covers the whole result.
    EXPECT_GE(long(heard.size()), alignment.Lag + long(expected.size()));
    EXPECT_FALSE(player.IsPlaying());
}

INSTANTIATE_TEST_SUITE_P(Effects, PreviewSoundsLikePlay,
                         ::testing::Values(TPreviewCase{"Robot", {QStringLiteral("Robot")}},
                                           TPreviewCase{"Child", {QStringLiteral("Child")}},
                                           TPreviewCase{"EchoMountains", {QStringLiteral("Echo (Mountains)")}},
                                           TPreviewCase{"Reverse", {QStringLiteral("Reverse")}},
                                           TPreviewCase{"CustomFaster", {QStringLiteral("Custom"), 12, 3}}),
                         [](const auto &AInfo) { return std::string(AInfo.param.Name); });

// Another effect goes on where the listener is, not from the start and not
// from where ffmpeg had computed ahead to.
TEST_F(PreviewPlayerTest, ASwitchContinuesAtThePositionHeard)
{
    const QString tone = RisingTone(8);
    TPreviewPlayer player;
    QSignalSpy firstSound(&player, &TPreviewPlayer::FirstSound);
    ASSERT_TRUE(Server().StartRecording());
    player.Start(tone, {QStringLiteral("Sinusoidal")});
    ASSERT_TRUE(WaitUntil([&] { return !firstSound.isEmpty(); }, 10000));
    QTest::qWait(2500);
    const int64_t switchedAt = TPulseServer::NowMs();
    const qint64 position = player.PositionMs();
    // "Custom" at rate x1 and tempo x1 leaves the tone as it is.
    QSignalSpy failed(&player, &TPreviewPlayer::Failed);
    player.SwitchEffect({QStringLiteral("Custom"), 10, 2});
    QTest::qWait(1200);
    ASSERT_TRUE(player.IsPlaying()) << failed.value(0).value(0).toString().toStdString();
    player.Stop();
    const std::vector<int16_t> heard = Server().StopRecording();
    ASSERT_TRUE(Server().RecordingStartMs().has_value());
    const int64_t start = *Server().RecordingStartMs();

    EXPECT_GT(position, 500);
    const double before = SoundAnalysis::DominantFrequency(heard, SampleAt(switchedAt - 400, start),
                                                           SampleAt(switchedAt - 100, start), 100, 2000);
    const double after = SoundAnalysis::DominantFrequency(heard, SampleAt(switchedAt + 500, start),
                                                          SampleAt(switchedAt + 800, start), 100, 2000);
    // 100 Hz a second: a restart would drop by hundreds, a jump ahead rise by hundreds.
    EXPECT_GT(after, before - 40);
    EXPECT_LT(after, before + 200);
}

TEST_F(PreviewPlayerTest, StopSilencesAtOnceAndEmitsNothing)
{
    const QString tone = RisingTone(10);
    TPreviewPlayer player;
    QSignalSpy firstSound(&player, &TPreviewPlayer::FirstSound);
    QSignalSpy finished(&player, &TPreviewPlayer::Finished);
    ASSERT_TRUE(Server().StartRecording());
    player.Start(tone, {QStringLiteral("Sinusoidal")});
    ASSERT_TRUE(WaitUntil([&] { return !firstSound.isEmpty(); }, 10000));
    // Stop once the tone is heard at the speakers, whatever the sound server's latency.
    ASSERT_TRUE(WaitUntil(
        [&] {
            const std::vector<int16_t> soFar = Server().Recorded();
            return soFar.size() > size_t(Rate / 5) && SoundAnalysis::Rms(soFar, soFar.size() - size_t(Rate / 5)) > 300;
        },
        10000));
    QTest::qWait(300);
    const int64_t stoppedAt = TPulseServer::NowMs();
    player.Stop();
    QTest::qWait(800);
    const std::vector<int16_t> heard = Server().StopRecording();
    const int64_t start = *Server().RecordingStartMs();

    EXPECT_FALSE(player.IsPlaying());
    EXPECT_LT(SoundAnalysis::Rms(heard, SampleAt(stoppedAt + 150, start)), 30);
    EXPECT_TRUE(finished.isEmpty());
}

// Destroyed while sound plays and ffmpeg computes: the reader thread is joined
// and the child killed (the sanitiser builds check the thread's end).
TEST_F(PreviewPlayerTest, DestroyingAPlayingPreviewEndsEverything)
{
    const QString tone = RisingTone(10);
    auto player = std::make_unique<TPreviewPlayer>();
    QSignalSpy firstSound(player.get(), &TPreviewPlayer::FirstSound);
    player->Start(tone, {QStringLiteral("Whisper")});
    ASSERT_TRUE(WaitUntil([&] { return !firstSound.isEmpty(); }, 10000));
    player->SwitchEffect({QStringLiteral("Chorus")});
    QTest::qWait(200);
    player.reset();
    SUCCEED();
}

// A failure is posted, not emitted within Start; a Stop before it is served
// drops it, so it is never taken for a later preview's.
TEST_F(PreviewPlayerTest, StopDropsAFailureStillOnItsWay)
{
    TPreviewPlayer player;
    QSignalSpy failed(&player, &TPreviewPlayer::Failed);
    player.Start(FFolder.FilePath(QStringLiteral("missing.wav")), {QStringLiteral("Robot")});
    player.Stop();
    EXPECT_FALSE(failed.wait(300));
}

struct TBadInputCase
{
    const char *Name;
    QByteArray Content; // empty: no file at all
    const char *ReasonPart;
    friend void PrintTo(const TBadInputCase &ACase, std::ostream *AOut) { *AOut << ACase.Name; }
};

class PreviewOfABadInput : public PreviewPlayerTest, public ::testing::WithParamInterface<TBadInputCase>
{
};

TEST_P(PreviewOfABadInput, FailsWithTheReasonAndNoSound)
{
    const QString input = GetParam().Content.isEmpty()
                              ? FFolder.FilePath(QStringLiteral("missing.wav"))
                              : FFolder.Write(QStringLiteral("bad.wav"), GetParam().Content);
    TPreviewPlayer player;
    QSignalSpy failed(&player, &TPreviewPlayer::Failed);
    QSignalSpy firstSound(&player, &TPreviewPlayer::FirstSound);
    ASSERT_TRUE(Server().StartRecording());
    player.Start(input, {QStringLiteral("Robot")});
    ASSERT_TRUE(WaitUntil([&] { return !failed.isEmpty(); }, 10000));
    QTest::qWait(300);
    const std::vector<int16_t> heard = Server().StopRecording();

    EXPECT_TRUE(failed.value(0).value(0).toString().contains(QLatin1String(GetParam().ReasonPart)))
        << failed.value(0).value(0).toString().toStdString();
    EXPECT_TRUE(firstSound.isEmpty());
    EXPECT_FALSE(SoundAnalysis::FirstLoudSample(heard, 100).has_value());
    EXPECT_FALSE(player.IsPlaying());
}

INSTANTIATE_TEST_SUITE_P(Inputs, PreviewOfABadInput,
                         ::testing::Values(TBadInputCase{"Missing", {}, "No such file"},
                                           TBadInputCase{"NotSound", "just some text, no sound", "Invalid data"}),
                         [](const auto &AInfo) { return std::string(AInfo.param.Name); });
