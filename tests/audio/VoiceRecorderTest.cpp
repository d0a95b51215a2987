#include "audio/RecordingPlace.h"
#include "audio/VoiceRecorder.h"
#include "audio/WavRepair.h"
#include "identity/AppIdentity.h"
#include "support/PulseServer.h"
#include "support/ScopedEnv.h"
#include "support/SoundAnalysis.h"
#include "support/TestFolder.h"
#include "support/WaitFor.h"

#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QtEndian>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/types.h>

namespace {

quint32 DataSize(const QString &APath)
{
    QFile file(APath);
    file.open(QIODevice::ReadOnly);
    const QByteArray head = file.read(44);
    return head.size() == 44 ? qFromLittleEndian<quint32>(head.constData() + 40) : 0;
}

bool SizesMatchLength(const QString &APath)
{
    return DataSize(APath) == quint32(QFileInfo(APath).size() - 44);
}

} // namespace

// The recorder against a private sound server whose microphone is fed speech.
class VoiceRecorderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!TPulseServer::Installed())
            GTEST_SKIP() << "pulseaudio is not installed";
        ASSERT_TRUE(FServer.IsRunning()) << FServer.Error().toStdString();
        // The server's microphone feeder writes on into a pipe nobody reads once
        // the microphone is unplugged.
        std::signal(SIGPIPE, SIG_IGN);
        FPath = FFolder.FilePath(QStringLiteral("Recording.wav"));
    }

    // Starts the default input and waits until sound streams.
    void StartRecording()
    {
        const QAudioDevice device = TVoiceRecorder::InputDevices().value(0);
        ASSERT_EQ(device.id(), TPulseServer::MicrophoneName().toUtf8());
        ASSERT_TRUE(FRecorder.Start(device, FPath)) << FRecorder.ErrorText().toStdString();
        ASSERT_TRUE(WaitUntil([&] { return FRecorder.ElapsedMs() > 0; }, 10000));
    }

    TPulseServer FServer;
    TTestFolder FFolder;
    TVoiceRecorder FRecorder;
    QString FPath;
};

TEST_F(VoiceRecorderTest, TheRecordingHoldsWhatTheMicrophoneHeard)
{
    const QString speech = FFolder.FilePath(QStringLiteral("speech.wav"));
    ASSERT_TRUE(SoundAnalysis::MakeSpeech(speech, QStringLiteral("one two three, recording my voice")));
    const std::vector<int16_t> spoken = SoundAnalysis::DecodeMono(speech);
    ASSERT_FALSE(spoken.empty());
    StartRecording();
    QSignalSpy finished(&FRecorder, &TVoiceRecorder::Finished);
    FServer.FeedMicrophone(spoken);
    ASSERT_TRUE(WaitUntil([&] { return !FServer.MicrophoneBusy(); }, 30000));
    QTest::qWait(300);
    const qint64 elapsed = FRecorder.ElapsedMs();
    FRecorder.Stop();
    EXPECT_EQ(finished.count(), 1);
    EXPECT_TRUE(FRecorder.ErrorText().isEmpty());

    EXPECT_TRUE(SizesMatchLength(FPath));
    const std::vector<int16_t> heard = SoundAnalysis::DecodeMono(FPath);
    // About as long as it ran, and the speech is in it, not just some sound.
    EXPECT_NEAR(double(heard.size()) / SoundAnalysis::Rate * 1000, double(elapsed), 100);
    EXPECT_GT(heard.size(), spoken.size());
    EXPECT_GT(SoundAnalysis::Align(spoken, heard, SoundAnalysis::Rate * 3).Correlation, 0.9);
}

TEST_F(VoiceRecorderTest, AnUnpluggedInputEndsTheRecordingAndKeepsIt)
{
    StartRecording();
    ASSERT_TRUE(WaitUntil([&] { return FRecorder.ElapsedMs() >= 700; }, 10000));
    QSignalSpy finished(&FRecorder, &TVoiceRecorder::Finished);
    ASSERT_EQ(FServer.Pactl({QStringLiteral("unload-module"), QStringLiteral("module-pipe-source")}), 0);
    ASSERT_TRUE(WaitUntil([&] { return finished.count() == 1; }, 10000));
    EXPECT_FALSE(FRecorder.IsRecording());
    EXPECT_TRUE(FRecorder.ErrorText().contains(QStringLiteral("disconnected"))) << FRecorder.ErrorText().toStdString();
    EXPECT_TRUE(SizesMatchLength(FPath));
    EXPECT_GE(SoundAnalysis::DecodeMono(FPath).size(), size_t(SoundAnalysis::Rate * 7 / 10));
}

TEST_F(VoiceRecorderTest, WithoutAnyInputNothingStartsAndNoFileIsLeft)
{
    ASSERT_EQ(FServer.Pactl({QStringLiteral("unload-module"), QStringLiteral("module-pipe-source")}), 0);
    ASSERT_TRUE(WaitUntil([] { return TVoiceRecorder::InputDevices().isEmpty(); }));
    EXPECT_FALSE(FRecorder.Start(TVoiceRecorder::InputDevices().value(0), FPath));
    EXPECT_TRUE(FRecorder.ErrorText().contains(QStringLiteral("No audio input")))
        << FRecorder.ErrorText().toStdString();
    EXPECT_FALSE(QFileInfo::exists(FPath));
}

// The real program killed while it records leaves a WAV a reader can use, and
// the next start mends its header.
TEST_F(VoiceRecorderTest, ARecordingWhoseProgramWasKilledIsMendedAtTheNextStart)
{
    const TScopedEnv data("XDG_DATA_HOME", FFolder.Path().toUtf8());
    const QString recordings = FFolder.Path() + QStringLiteral("/Quillaby/Tonara/Recordings");
    ASSERT_TRUE(QDir().mkpath(recordings));
    // Killed between two header updates, as almost every kill is; one that lands
    // right after an update leaves nothing to mend, so that file is killed again.
    QString killed;
    for (int attempt = 0; attempt < 5 && (killed.isEmpty() || SizesMatchLength(killed)); ++attempt) {
        killed = recordings + QStringLiteral("/Recording killed %1.wav").arg(attempt);
        QProcess tonara;
        tonara.start(QStringLiteral(TONARA_EXECUTABLE),
                     {QStringLiteral("--record"), QStringLiteral("60"), QStringLiteral("--output"), killed});
        ASSERT_TRUE(tonara.waitForStarted());
        ASSERT_TRUE(WaitUntil([&] { return QFileInfo(killed).size() > 44 + 44100 * 2 * 7 / 10; }, 20000));
        tonara.kill();
        tonara.waitForFinished();
    }
    ASSERT_FALSE(SizesMatchLength(killed));
    EXPECT_GE(SoundAnalysis::DecodeMono(killed).size(), size_t(SoundAnalysis::Rate / 2));

    QProcess next;
    next.start(QStringLiteral(TONARA_EXECUTABLE), {QStringLiteral("--record"), QStringLiteral("0.1"),
                                                   QStringLiteral("--output"), FFolder.FilePath("next.wav")});
    ASSERT_TRUE(next.waitForFinished(20000));
    EXPECT_EQ(next.exitCode(), 0) << next.readAllStandardError().toStdString();
    EXPECT_TRUE(SizesMatchLength(killed));
    EXPECT_TRUE(SizesMatchLength(FFolder.FilePath("next.wav")));
}

// The program's exit after a recording while the sound server keeps sending it
// news (here: another client turning a volume up and down). The sound library's
// exit-time teardown raced with its own thread then and crashed about one exit
// in a hundred, so a crash-free run of a hundred says little alone, but this
// fails more often than not if that teardown runs again.
TEST_F(VoiceRecorderTest, ExitsCleanlyAfterRecordingsWhileTheServerIsBusy)
{
    QProcess busyClient;
    busyClient.start(QStringLiteral("sh"),
                     {QStringLiteral("-c"), QStringLiteral("while :; do pactl set-sink-volume @DEFAULT_SINK@ 50%; "
                                                           "pactl set-sink-volume @DEFAULT_SINK@ 60%; done")});
    ASSERT_TRUE(busyClient.waitForStarted());
    for (int run = 0; run < 100; ++run) {
        QProcess tonara;
        tonara.start(QStringLiteral(TONARA_EXECUTABLE),
                     {QStringLiteral("--record"), QStringLiteral("0.1"), QStringLiteral("--output"), FPath});
        ASSERT_TRUE(tonara.waitForFinished(20000));
        ASSERT_EQ(tonara.exitStatus(), QProcess::NormalExit) << "run " << run << " crashed";
        ASSERT_EQ(tonara.exitCode(), 0) << "run " << run << ": " << tonara.readAllStandardError().toStdString();
    }
    busyClient.kill();
    busyClient.waitForFinished();
}

// Ctrl+C ends tonara --record early with a complete file of what was recorded.
TEST_F(VoiceRecorderTest, CtrlCEndsTheCommandLineRecordingAndKeepsIt)
{
    QProcess tonara;
    tonara.start(QStringLiteral(TONARA_EXECUTABLE),
                 {QStringLiteral("--record"), QStringLiteral("60"), QStringLiteral("--output"), FPath});
    ASSERT_TRUE(tonara.waitForStarted());
    ASSERT_TRUE(WaitUntil([&] { return QFileInfo(FPath).size() > 44 + 44100 * 2 / 2; }, 20000));
    ::kill(pid_t(tonara.processId()), SIGINT);
    ASSERT_TRUE(tonara.waitForFinished(20000));
    EXPECT_EQ(tonara.exitCode(), 0) << tonara.readAllStandardError().toStdString();
    EXPECT_TRUE(tonara.readAllStandardOutput().startsWith("Recorded: " + FPath.toUtf8()));
    EXPECT_TRUE(SizesMatchLength(FPath));
    EXPECT_GE(SoundAnalysis::DecodeMono(FPath).size(), size_t(SoundAnalysis::Rate / 2));
}

TEST_F(VoiceRecorderTest, TheCommandLineRecordsForTheTimeAsked)
{
    QProcess tonara;
    tonara.start(QStringLiteral(TONARA_EXECUTABLE),
                 {QStringLiteral("--record"), QStringLiteral("1.5"), QStringLiteral("--output"), FPath,
                  QStringLiteral("--device"), TPulseServer::MicrophoneName()});
    ASSERT_TRUE(tonara.waitForFinished(30000));
    EXPECT_EQ(tonara.exitCode(), 0) << tonara.readAllStandardError().toStdString();
    EXPECT_TRUE(SizesMatchLength(FPath));
    EXPECT_EQ(SoundAnalysis::DecodeMono(FPath).size(), size_t(SoundAnalysis::Rate * 3 / 2));
}
