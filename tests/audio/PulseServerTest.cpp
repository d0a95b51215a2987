#include "support/PulseServerFixture.h"
#include "support/SoundAnalysis.h"
#include "support/SoundInputs.h"
#include "support/TestFolder.h"
#include "support/WaitFor.h"

#include <QProcess>
#include <gtest/gtest.h>

// The sound tests' rig itself: what is played reaches the recording of the
// speakers, and what the microphone is fed reaches a program recording it.
class PulseServerTest : public TPulseServerFixture
{
protected:
    TTestFolder FFolder;
};

TEST_F(PulseServerTest, WhatIsPlayedIsRecordedFromTheSpeakers)
{
    const QString tone = FFolder.FilePath(QStringLiteral("tone.wav"));
    ASSERT_TRUE(SoundInputs::Make(tone, 1.0));
    ASSERT_TRUE(FServer.StartRecording());
    ASSERT_EQ(SoundInputs::Run(QStringLiteral("paplay"), {tone}), 0);
    const std::vector<int16_t> heard = FServer.StopRecording();

    const auto start = SoundAnalysis::FirstLoudSample(heard);
    ASSERT_TRUE(start.has_value());
    EXPECT_NEAR(SoundAnalysis::DominantFrequency(heard, *start + 4410, *start + 30000), 440, 2);
    EXPECT_TRUE(FServer.RecordingStartMs().has_value());
}

TEST_F(PulseServerTest, TheMicrophoneDeliversWhatItIsFedInRealTime)
{
    const QString speech = FFolder.FilePath(QStringLiteral("speech.wav"));
    ASSERT_TRUE(SoundAnalysis::MakeSpeech(speech, QStringLiteral("one two three, testing the microphone")));
    const std::vector<int16_t> spoken = SoundAnalysis::DecodeMono(speech);
    ASSERT_FALSE(spoken.empty());

    QProcess parec;
    parec.start(QStringLiteral("parec"), {QStringLiteral("--device=") + TPulseServer::MicrophoneName(),
                                          QStringLiteral("--format=s16le"), QStringLiteral("--rate=44100"),
                                          QStringLiteral("--channels=1"), QStringLiteral("--raw")});
    ASSERT_TRUE(parec.waitForStarted());
    // Fed only once the recorder streams, so nothing is spoken before anyone listens.
    ASSERT_TRUE(parec.waitForReadyRead(10000));
    const int64_t fedAt = TPulseServer::NowMs();
    FServer.FeedMicrophone(spoken);
    ASSERT_TRUE(WaitUntil([&] { return !FServer.MicrophoneBusy(); }, 30000));
    const int64_t tookMs = TPulseServer::NowMs() - fedAt;
    QTest::qWait(300);
    parec.kill();
    parec.waitForFinished();
    const QByteArray bytes = parec.readAllStandardOutput();
    std::vector<int16_t> heard(bytes.size() / 2);
    std::memcpy(heard.data(), bytes.constData(), heard.size() * 2);

    // Real time: the feed takes about as long as the speech lasts, not a burst.
    EXPECT_GT(tookMs, static_cast<int64_t>(spoken.size()) * 1000 / TPulseServer::Rate - 300);
    const auto alignment = SoundAnalysis::Align(spoken, heard, TPulseServer::Rate * 2);
    EXPECT_GT(alignment.Correlation, 0.95);
}
