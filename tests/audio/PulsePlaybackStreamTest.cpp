#include "audio/PulsePlaybackStream.h"

#include "audio/SoundServerError.h"
#include "support/PulseServerFixture.h"
#include "support/ScopedEnv.h"
#include "support/SoundAnalysis.h"
#include "support/TestFolder.h"
#include "support/WaitFor.h"

#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr TPcmFormat Format{};

// AMs of a stereo sine tone of AHz, in the stream's format.
QByteArray Tone(double AHz, int AMs)
{
    const qint64 frames = qint64(AMs) * Format.SampleRate / 1000;
    QByteArray bytes(int(frames * Format.BytesPerFrame()), Qt::Uninitialized);
    auto *samples = reinterpret_cast<int16_t *>(bytes.data());
    for (qint64 i = 0; i < frames; ++i)
        samples[2 * i] = samples[2 * i + 1] = int16_t(12000 * std::sin(2 * M_PI * AHz * double(i) / Format.SampleRate));
    return bytes;
}

// Writes ASound as the stream takes it; false if the stream failed.
bool WriteAll(TPulsePlaybackStream &AStream, const QByteArray &ASound)
{
    qint64 done = 0;
    return WaitUntil(
        [&] {
            const qint64 part = qMin(AStream.WritableBytes(), ASound.size() - done);
            if (part > 0)
                AStream.Write(ASound.constData() + done, part);
            done += qMax<qint64>(0, part);
            return done == ASound.size() || !AStream.Failure().isEmpty();
        },
        10000) && AStream.Failure().isEmpty();
}

} // namespace

using PulsePlaybackStreamTest = TPulseServerFixture;

// The tone reaches the speakers whole, and the drain ends once it has been heard.
TEST_F(PulsePlaybackStreamTest, WhatIsWrittenIsHeardToItsEnd)
{
    const QByteArray tone = Tone(440, 600);
    ASSERT_TRUE(FServer.StartRecording());
    TPulsePlaybackStream stream(Format, Format.BytesForMs(150), Format.BytesForMs(60));
    ASSERT_TRUE(WriteAll(stream, tone));
    stream.Drain();
    ASSERT_TRUE(WaitUntil([&] { return stream.Drained(); }, 10000));
    // By the server's clock all but the output's own last moment has been heard.
    EXPECT_LE(stream.HeardBytes(), tone.size());
    EXPECT_GT(stream.HeardBytes(), tone.size() - Format.BytesForMs(100));
    QTest::qWait(300);
    const std::vector<int16_t> heard = FServer.StopRecording();

    const std::optional<size_t> start = SoundAnalysis::FirstLoudSample(heard, 3000);
    ASSERT_TRUE(start.has_value());
    const size_t length = size_t(TPulseServer::Rate) * 55 / 100;
    EXPECT_NEAR(SoundAnalysis::DominantFrequency(heard, *start, *start + length, 100, 2000), 440, 5);
    EXPECT_GT(SoundAnalysis::Rms(heard, *start, *start + length), 5000);
    EXPECT_TRUE(stream.Failure().isEmpty());
}

// Streams closed with sound queued, a drain on its way or just opened: the
// server's late answers must find nothing freed (the sanitiser builds check).
TEST_F(PulsePlaybackStreamTest, ClosingWhateverIsOnItsWayLeavesNothingBehind)
{
    const QByteArray tone = Tone(300, 40);
    for (int round = 0; round < 30; ++round) {
        TPulsePlaybackStream stream(Format, Format.BytesForMs(150), Format.BytesForMs(20));
        if (round % 3 == 0)
            continue;
        stream.Write(tone.constData(), qMin<qint64>(tone.size(), stream.WritableBytes()));
        if (round % 3 == 2)
            stream.Drain();
    }
    SUCCEED();
}

TEST_F(PulsePlaybackStreamTest, AServerWithoutOutputsSaysSo)
{
    ASSERT_EQ(FServer.Pactl({QStringLiteral("unload-module"), QStringLiteral("module-null-sink")}), 0);
    try {
        TPulsePlaybackStream stream(Format, Format.BytesForMs(150), Format.BytesForMs(60));
        ADD_FAILURE() << "opened a stream";
    } catch (const ESoundServerError &error) {
        EXPECT_STREQ(error.what(), "The sound server has no output device.");
    }
}

struct TUnreachableCase
{
    const char *Name;
    bool Listening; // a socket that takes the connection and never answers
    const char *MessagePart;
    friend void PrintTo(const TUnreachableCase &ACase, std::ostream *AOut) { *AOut << ACase.Name; }
};

class PulseServerUnreachable : public ::testing::TestWithParam<TUnreachableCase>
{
};

// No server, or one that hangs: a clear error in bounded time, never a hang.
TEST_P(PulseServerUnreachable, OpeningFailsWithAClearMessage)
{
    TTestFolder folder;
    const QString path = folder.FilePath(QStringLiteral("native"));
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    if (GetParam().Listening) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, path.toLocal8Bit().constData(), sizeof(address.sun_path));
        ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
        ASSERT_EQ(listen(listener, 4), 0);
    }
    const TScopedEnv server("PULSE_SERVER", "unix:" + path.toLocal8Bit());
    QElapsedTimer clock;
    clock.start();
    try {
        TPulsePlaybackStream stream(Format, Format.BytesForMs(150), Format.BytesForMs(60));
        ADD_FAILURE() << "opened a stream";
    } catch (const ESoundServerError &error) {
        EXPECT_TRUE(QString::fromUtf8(error.what()).contains(QLatin1String(GetParam().MessagePart))) << error.what();
    }
    EXPECT_LT(clock.elapsed(), TPulseClient::AnswerTimeoutMs + 5000);
    close(listener);
}

INSTANTIATE_TEST_SUITE_P(Servers, PulseServerUnreachable,
                         ::testing::Values(TUnreachableCase{"NoServer", false, "No sound server is running"},
                                           TUnreachableCase{"NeverAnswers", true, "does not answer"}),
                         [](const auto &AInfo) { return std::string(AInfo.param.Name); });
