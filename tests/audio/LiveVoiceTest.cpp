#include "audio/LiveSession.h"
#include "audio/SoundServerError.h"
#include "audio/VirtualMicrophone.h"
#include "effects/EffectPresets.h"
#include "platform/ProcessStartTime.h"
#include "support/PulseServerFixture.h"
#include "support/ScopedEnv.h"
#include "support/SoundAnalysis.h"
#include "support/TestFolder.h"
#include "support/WaitFor.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <numbers>

namespace {

constexpr int Rate = TPulseServer::Rate;

std::vector<int16_t> Tone(double AHz, double ASeconds)
{
    std::vector<int16_t> samples(size_t(ASeconds * Rate));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t(12000 * std::sin(2 * std::numbers::pi * AHz * double(i) / Rate));
    return samples;
}

// The longest stretch, in samples, of 5 ms windows without sound within [ABegin, AEnd).
size_t LongestQuiet(const std::vector<int16_t> &ASamples, size_t ABegin, size_t AEnd)
{
    constexpr size_t Window = Rate / 200;
    size_t longest = 0, current = 0;
    for (size_t at = ABegin; at + Window <= AEnd; at += Window) {
        current = SoundAnalysis::Rms(ASamples, at, at + Window) < 300 ? current + Window : 0;
        longest = std::max(longest, current);
    }
    return longest;
}

// The last sample whose magnitude reaches 1000.
size_t LastLoudSample(const std::vector<int16_t> &ASamples)
{
    size_t last = 0;
    for (size_t i = 0; i < ASamples.size(); ++i)
        if (std::abs(int(ASamples[i])) >= 1000)
            last = i;
    return last;
}

} // namespace

// Live voice against a private sound server: its fed microphone is the input,
// its null sink the speakers.
class LiveVoice : public TPulseServerFixture
{
protected:
    // The server's source or sink of that name, or an empty object.
    QJsonObject Device(const char *AWhat, const char *AName) const
    {
        QByteArray out;
        FServer.Pactl({QStringLiteral("--format=json"), QStringLiteral("list"), QLatin1String(AWhat)}, &out);
        for (const auto &item : QJsonDocument::fromJson(out).array())
            if (item.toObject().value(QLatin1String("name")).toString() == QLatin1String(AName))
                return item.toObject();
        return {};
    }

    bool MicrophoneExists() const
    {
        return !Device("sources", TVirtualMicrophone::SourceName).isEmpty();
    }

    bool MicrophoneGone() const
    {
        return Device("sources", TVirtualMicrophone::SourceName).isEmpty()
               && Device("sinks", TVirtualMicrophone::SinkName).isEmpty();
    }

    static TLiveSettings Settings(const char *AEffect, bool AToMicrophone)
    {
        TLiveSettings settings;
        settings.Effect = QString::fromUtf8(AEffect);
        settings.ToMicrophone = AToMicrophone;
        return settings;
    }

    // Feeds ASamples once the chain listens and waits until they are delivered.
    void FeedAndWait(std::vector<int16_t> ASamples)
    {
        FServer.FeedMicrophone(std::move(ASamples));
        ASSERT_TRUE(WaitUntil([&] { return !FServer.MicrophoneBusy(); }, 30000));
        QTest::qWait(300);
    }

    void StartCommandLine(QProcess &ATonara, const QStringList &AArguments)
    {
        ATonara.start(QStringLiteral(TONARA_EXECUTABLE), AArguments);
        ASSERT_TRUE(ATonara.waitForStarted());
        ASSERT_TRUE(ATonara.waitForReadyRead(20000)) << ATonara.readAllStandardError().toStdString();
        ASSERT_TRUE(ATonara.readAllStandardOutput().startsWith("Live: "));
    }
};

TEST_F(LiveVoice, TheVirtualMicrophoneExistsOnlyWhileLive)
{
    TLiveSession session;
    ASSERT_TRUE(MicrophoneGone());
    session.Start(Settings("Robot", true));
    const QJsonObject source = Device("sources", TVirtualMicrophone::SourceName);
    ASSERT_FALSE(source.isEmpty());
    EXPECT_EQ(source.value(QLatin1String("description")).toString(), QStringLiteral("Tonara Microphone"));
    session.Stop();
    EXPECT_TRUE(MicrophoneGone());

    // To the speakers, no virtual microphone is made at all.
    session.Start(Settings("Robot", false));
    EXPECT_TRUE(MicrophoneGone());
}

TEST_F(LiveVoice, ALeftoverOfAKilledTonaraGoesAtTheNextStartARunningOnesStays)
{
    QProcess other;
    StartCommandLine(other, {QStringLiteral("--live"), QStringLiteral("--effect"), QStringLiteral("Robot"),
                             QStringLiteral("--to"), QStringLiteral("mic")});
    ASSERT_TRUE(MicrophoneExists());

    // Two instances never fight over it: the second one is refused and takes nothing away.
    TLiveSession session;
    try {
        session.Start(Settings("Robot", true));
        FAIL() << "started beside another live Tonara";
    } catch (const ESoundServerError &error) {
        EXPECT_NE(std::string(error.what()).find("in use by another Tonara (process "), std::string::npos)
            << error.what();
    }
    EXPECT_TRUE(MicrophoneExists());

    other.kill();
    other.waitForFinished();
    ASSERT_TRUE(MicrophoneExists()) << "a killed Tonara cannot clean up";

    session.Start(Settings("Robot", true));
    const QJsonObject source = Device("sources", TVirtualMicrophone::SourceName);
    EXPECT_EQ(source.value(QLatin1String("properties")).toObject().value(QLatin1String("tonara.owner")).toString(),
              Platform::ProcessIdentity());
    session.Stop();
    EXPECT_TRUE(MicrophoneGone());
}

TEST_F(LiveVoice, ADeviceOfThatNameWeDidNotMakeIsLeftAlone)
{
    ASSERT_EQ(FServer.Pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                             QStringLiteral("sink_name=") + TVirtualMicrophone::SinkName}),
              0);
    TLiveSession session;
    EXPECT_THROW(session.Start(Settings("Robot", true)), ESoundServerError);
    EXPECT_FALSE(Device("sinks", TVirtualMicrophone::SinkName).isEmpty());
    EXPECT_FALSE(MicrophoneExists());
}

namespace {

// What the microphone hears and how to tell that the effect is on it.
struct TStopCase
{
    const char *Name;
    int Signal;
    const char *Effect;
    std::vector<int16_t> (*Fed)();
    void (*Check)(const std::vector<int16_t> &AFed, const std::vector<int16_t> &AHeard, size_t AStart);
};

[[maybe_unused]] void PrintTo(const TStopCase &ACase, std::ostream *AOut)
{
    *AOut << ACase.Name;
}

std::vector<int16_t> ToneOf300Hz()
{
    return Tone(300, 1.5);
}

std::vector<int16_t> Speech()
{
    TTestFolder folder;
    const QString path = folder.FilePath(QStringLiteral("speech.wav"));
    if (!SoundAnalysis::MakeSpeech(path, QStringLiteral("Robots talk like this. The quick brown fox jumps over the lazy dog.")))
        return {};
    return SoundAnalysis::DecodeMono(path);
}

void PitchedUpByHalf(const std::vector<int16_t> &, const std::vector<int16_t> &AHeard, size_t AStart)
{
    EXPECT_NEAR(SoundAnalysis::DominantFrequency(AHeard, AStart + Rate / 5, AStart + Rate), 450, 8);
}

// The robot effect zeroes every spectrum's phases in windows 128 samples apart,
// so whatever the voice's own pitch, it buzzes at 44100 / 128 Hz; a voice left
// dry, echoed, pitched or whispered has no more on those harmonics than between
// them. The same speech through the preset's graph by ffmpeg is the yardstick.
void SpokenByTheRobot(const std::vector<int16_t> &AFed, const std::vector<int16_t> &AHeard, size_t AStart)
{
    constexpr double Buzz = double(Rate) / 128;
    const std::vector<int16_t> offline = SoundAnalysis::Filtered(AFed, EffectFilterArguments(QStringLiteral("Robot"), 10, 2));
    ASSERT_FALSE(offline.empty());
    const size_t spoken = LastLoudSample(AFed) - *SoundAnalysis::FirstLoudSample(AFed);
    ASSERT_GT(LastLoudSample(AHeard), AStart + spoken * 4 / 5) << "less than the whole speech came through";
    const double dry = SoundAnalysis::HarmonicRatio(AFed, Buzz);
    const double heard = SoundAnalysis::HarmonicRatio(AHeard, Buzz, AStart, AStart + spoken);
    EXPECT_GT(heard, SoundAnalysis::HarmonicRatio(offline, Buzz) / 4) << "dry " << dry;
    EXPECT_GT(heard, 8 * dry);
}

} // namespace

class LiveVoiceStopSignal : public LiveVoice, public ::testing::WithParamInterface<TStopCase>
{};

// What another program records from "Tonara Microphone" is the effect on the
// microphone; a stop signal removes the device.
TEST_P(LiveVoiceStopSignal, TheCommandLineFeedsTheMicrophoneUntilStopped)
{
    const std::vector<int16_t> fed = GetParam().Fed();
    ASSERT_FALSE(fed.empty());
    QProcess tonara;
    StartCommandLine(tonara, {QStringLiteral("--live"), QStringLiteral("--effect"), QString::fromUtf8(GetParam().Effect),
                              QStringLiteral("--to"), QStringLiteral("mic")});
    ASSERT_TRUE(FServer.StartRecording(QLatin1String(TVirtualMicrophone::SourceName)));
    FeedAndWait(fed);
    const std::vector<int16_t> heard = FServer.StopRecording();
    const auto start = SoundAnalysis::FirstLoudSample(heard);
    ASSERT_TRUE(start.has_value()) << "nothing reached the virtual microphone";
    GetParam().Check(fed, heard, *start);

    ::kill(pid_t(tonara.processId()), GetParam().Signal);
    ASSERT_TRUE(tonara.waitForFinished(20000));
    EXPECT_EQ(tonara.exitCode(), 128 + GetParam().Signal) << tonara.readAllStandardError().toStdString();
    EXPECT_TRUE(MicrophoneGone());
}

INSTANTIATE_TEST_SUITE_P(Signals, LiveVoiceStopSignal,
                         ::testing::Values(TStopCase{"SIGINT", SIGINT, "Child", ToneOf300Hz, PitchedUpByHalf},
                                           TStopCase{"SIGTERM", SIGTERM, "Child", ToneOf300Hz, PitchedUpByHalf},
                                           TStopCase{"RobotSpeechSIGINT", SIGINT, "Robot", Speech, SpokenByTheRobot}),
                         [](const auto &AInfo) { return std::string(AInfo.param.Name); });

TEST_F(LiveVoice, SwitchingTheEffectKeepsTheSoundGoing)
{
    TLiveSession session;
    session.Start(Settings("Echo (Indoor)", false));
    ASSERT_TRUE(FServer.StartRecording());
    ASSERT_TRUE(WaitUntil([&] { return FServer.RecordingStartMs().has_value(); }, 10000));
    FServer.FeedMicrophone(Tone(300, 3));
    ASSERT_TRUE(WaitUntil([&] { return SoundAnalysis::FirstLoudSample(FServer.Recorded()).has_value(); }, 10000));
    QTest::qWait(800);
    const long long blocks = session.Voice().Blocks();
    const size_t switchedAt = FServer.Recorded().size();
    session.SetEffect(QStringLiteral("Child"), 10, 2);
    ASSERT_TRUE(WaitUntil([&] { return !FServer.MicrophoneBusy(); }, 30000));
    const std::vector<int16_t> heard = FServer.StopRecording();
    EXPECT_GT(session.Voice().Blocks(), blocks);

    const size_t start = *SoundAnalysis::FirstLoudSample(heard);
    const size_t end = LastLoudSample(heard);
    ASSERT_GT(end, switchedAt + Rate / 2) << "the sound stopped at the switch";
    EXPECT_LT(LongestQuiet(heard, start, end), size_t(Rate / 10));
    EXPECT_NEAR(SoundAnalysis::DominantFrequency(heard, start + Rate / 10, switchedAt - Rate / 10), 300, 8);
    EXPECT_NEAR(SoundAnalysis::DominantFrequency(heard, switchedAt + Rate / 5, end - Rate / 10), 450, 8);
}

TEST_F(LiveVoice, AnUnpluggedInputOrAVanishedServerStopsWithAMessage)
{
    QByteArray module;
    ASSERT_EQ(FServer.Pactl({QStringLiteral("load-module"), QStringLiteral("module-sine-source"),
                             QStringLiteral("source_name=usb_mic")},
                            &module),
              0);
    TLiveSession session;
    QSignalSpy stopped(&session, &TLiveSession::Stopped);
    TLiveSettings settings = Settings("Robot", true);
    settings.Input = QStringLiteral("usb_mic");
    session.Start(settings);
    ASSERT_EQ(FServer.Pactl({QStringLiteral("unload-module"), QString::fromUtf8(module.trimmed())}), 0);
    ASSERT_TRUE(WaitUntil([&] { return !stopped.isEmpty(); }, 10000));
    EXPECT_EQ(stopped.first().first().toString(), QStringLiteral("The input device \"usb_mic\" is gone: live voice stopped."));
    EXPECT_FALSE(session.Running());
    EXPECT_TRUE(MicrophoneGone());

    session.Start(Settings("Robot", false));
    FServer.Kill();
    ASSERT_TRUE(WaitUntil([&] { return stopped.size() == 2; }, 10000));
    EXPECT_FALSE(session.Running());
}

TEST(LiveVoiceWithoutServer, SaysSoAndChangesNothing)
{
    TTestFolder folder;
    const TScopedEnv server("PULSE_SERVER", "unix:" + folder.FilePath(QStringLiteral("none")).toUtf8());
    for (const bool toMicrophone : {false, true}) {
        TLiveSession session;
        TLiveSettings settings;
        settings.Effect = QStringLiteral("Robot");
        settings.ToMicrophone = toMicrophone;
        try {
            session.Start(settings);
            FAIL() << "started without a server";
        } catch (const ESoundServerError &error) {
            EXPECT_STREQ(error.what(), "No sound server is running: Tonara needs PulseAudio or PipeWire for sound.");
        }
        EXPECT_FALSE(session.Running());
    }

    QProcess tonara;
    tonara.start(QStringLiteral(TONARA_EXECUTABLE),
                 {QStringLiteral("--live"), QStringLiteral("--effect"), QStringLiteral("robot")});
    ASSERT_TRUE(tonara.waitForFinished(20000));
    EXPECT_EQ(tonara.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tonara.exitCode(), 1);
    EXPECT_TRUE(tonara.readAllStandardError().contains("No sound server is running"));
}
