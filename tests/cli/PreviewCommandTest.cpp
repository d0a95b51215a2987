#include "support/PulseServer.h"
#include "support/SoundAnalysis.h"
#include "support/SoundInputs.h"
#include "support/TestFolder.h"
#include "support/WaitFor.h"

#include <QProcess>
#include <gtest/gtest.h>

#include <csignal>

// "tonara --preview" plays to the default output of a private sound server.
class PreviewCommand : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!TPulseServer::Installed())
            GTEST_SKIP() << "pulseaudio is not installed";
        ASSERT_TRUE(FServer.IsRunning()) << FServer.Error().toStdString();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), FFolder.FilePath(QStringLiteral("data")));
        FTonara.setProcessEnvironment(environment);
    }

    void StartPreview(const QString &AInput, const QString &AEffect)
    {
        ASSERT_TRUE(FServer.StartRecording());
        FTonara.start(QStringLiteral(TONARA_EXECUTABLE),
                      {QStringLiteral("--preview"), QStringLiteral("--effect"), AEffect, AInput});
        ASSERT_TRUE(FTonara.waitForStarted(10000));
    }

    TPulseServer FServer;
    TTestFolder FFolder;
    QProcess FTonara;
};

TEST_F(PreviewCommand, PlaysToTheInputsEndAndExitsWithZero)
{
    const QString tone = FFolder.FilePath(QStringLiteral("tone.wav"));
    ASSERT_TRUE(SoundInputs::Make(tone, 1.5));
    StartPreview(tone, QStringLiteral("Custom"));
    ASSERT_TRUE(FTonara.waitForFinished(60000));
    const std::vector<int16_t> heard = FServer.StopRecording();

    EXPECT_EQ(FTonara.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(FTonara.exitCode(), 0) << FTonara.readAllStandardError().toStdString();
    const auto start = SoundAnalysis::FirstLoudSample(heard);
    ASSERT_TRUE(start.has_value());
    // "Custom" at its default sliders leaves the 440 Hz tone as it is, and all of it was heard.
    EXPECT_NEAR(SoundAnalysis::DominantFrequency(heard, *start + 4410, *start + 30000), 440, 3);
    EXPECT_GT(SoundAnalysis::Rms(heard, *start + 55000, *start + 60000), 1000);
    EXPECT_FALSE(QFileInfo::exists(FFolder.FilePath(QStringLiteral("data/Quillaby/Tonara/output.wav"))));
}

// Ctrl+C (and a SIGTERM) silence it and exit with 128 + the signal's number.
TEST_F(PreviewCommand, ASignalStopsTheSound)
{
    const QString tone = FFolder.FilePath(QStringLiteral("long.wav"));
    ASSERT_TRUE(SoundInputs::Make(tone, 30));
    for (const auto &[signal, status] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
        StartPreview(tone, QStringLiteral("Echo (Indoor)"));
        ASSERT_TRUE(WaitUntil([&] { return SoundAnalysis::FirstLoudSample(FServer.Recorded()).has_value(); }, 30000));
        ::kill(pid_t(FTonara.processId()), signal);
        const int64_t signalledAt = TPulseServer::NowMs();
        ASSERT_TRUE(FTonara.waitForFinished(30000));
        QTest::qWait(500);
        const std::vector<int16_t> heard = FServer.StopRecording();
        const int64_t quietFrom = signalledAt - *FServer.RecordingStartMs() + 300;

        EXPECT_EQ(FTonara.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(FTonara.exitCode(), status);
        EXPECT_LT(SoundAnalysis::Rms(heard, size_t(quietFrom * TPulseServer::Rate / 1000)), 30);
    }
}

TEST_F(PreviewCommand, AMissingInputIsAnErrorWithoutSound)
{
    StartPreview(FFolder.FilePath(QStringLiteral("none.wav")), QStringLiteral("Robot"));
    ASSERT_TRUE(FTonara.waitForFinished(30000));
    const std::vector<int16_t> heard = FServer.StopRecording();

    EXPECT_EQ(FTonara.exitCode(), 1);
    EXPECT_TRUE(FTonara.readAllStandardError().contains("No such file"));
    EXPECT_FALSE(SoundAnalysis::FirstLoudSample(heard, 100).has_value());
}
