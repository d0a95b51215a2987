#include "gui/MediaPlayer.h"
#include "support/AudioFiles.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using TNotifyValue = TMediaPlayer::TNotifyValue;

namespace {

// Long enough that an instant "end" cannot pass for real playback.
constexpr double SoundSeconds = 1.0;
constexpr qint64 MinPlayMs = 900;
constexpr int NotifyTimeoutMs = 15000;

// The processes whose descriptors count for this process: itself and its children.
QStringList OwnProcesses()
{
    const QString self = QString::number(QCoreApplication::applicationPid());
    QStringList processes{self};
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...": the name may hold blanks and parentheses.
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1] == self.toLatin1())
            processes << pid;
    }
    return processes;
}

// Whether this process or a child of it holds a descriptor on APath.
bool IsHeldOpen(const QString &APath)
{
    const QString target = QFileInfo(APath).canonicalFilePath();
    for (const QString &pid : OwnProcesses()) {
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
        for (const QFileInfo &fd : fds.entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot))
            if (fd.symLinkTarget() == target)
                return true;
    }
    return false;
}

TNotifyValue NotifyAt(const QSignalSpy &ASpy, int AIndex)
{
    return ASpy.at(AIndex).at(0).value<TNotifyValue>();
}

bool WaitForNotifies(QSignalSpy &ASpy, int ACount)
{
    while (ASpy.count() < ACount)
        if (!ASpy.wait(NotifyTimeoutMs))
            return false;
    return true;
}

class MediaPlayerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FDir.isValid());
        // A name with blanks, quotes, '$', '#', '%' and non-ASCII letters.
        FSound = FDir.filePath(QStringLiteral("tön 'a' \"b\" $x #1 %20.wav"));
        ASSERT_TRUE(WriteSineWav(FSound, SoundSeconds));
        FPlayer.SetFileName(FSound);
    }

    // Plays from the start; the play must end by itself, as late as a real play does.
    void ExpectPlaysToItsEnd(int ANotifyCount)
    {
        QElapsedTimer timer;
        timer.start();
        FPlayer.Play();
        EXPECT_TRUE(FPlayer.IsPlaying());
        EXPECT_TRUE(WaitForNotifies(FSpy, ANotifyCount));
        const qint64 took = timer.elapsed();
        ASSERT_EQ(FSpy.count(), ANotifyCount);
        EXPECT_EQ(NotifyAt(FSpy, ANotifyCount - 1), TNotifyValue::Successful);
        EXPECT_GE(took, MinPlayMs);
        EXPECT_FALSE(FPlayer.IsPlaying());
    }

    QTemporaryDir FDir;
    QString FSound;
    TMediaPlayer FPlayer;
    QSignalSpy FSpy{&FPlayer, &TMediaPlayer::Notify};
};

} // namespace

TEST_F(MediaPlayerTest, PlaysToItsEndInRealTimeAndAgainFromTheStart)
{
    FPlayer.Open();
    ASSERT_TRUE(FPlayer.IsOpen());
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        ExpectPlaysToItsEnd(round);
    }
}

TEST_F(MediaPlayerTest, StopInterruptsThePlayWhichNotifiesAborted)
{
    FPlayer.Open();
    FPlayer.Play();
    QTest::qWait(250);
    ASSERT_TRUE(FPlayer.IsPlaying());
    FPlayer.Stop();
    EXPECT_FALSE(FPlayer.IsPlaying());
    EXPECT_EQ(FSpy.count(), 0) << "the notification comes through the event loop, after Stop";
    ASSERT_TRUE(WaitForNotifies(FSpy, 1));
    EXPECT_EQ(NotifyAt(FSpy, 0), TNotifyValue::Aborted);

    // The stopped play never reports an end of its own.
    EXPECT_FALSE(FSpy.wait(1500));

    // Playing again starts from the beginning, not where it stopped.
    ExpectPlaysToItsEnd(2);
}

TEST_F(MediaPlayerTest, PlayWhilePlayingSupersedesTheFirstPlay)
{
    FPlayer.Open();
    FPlayer.Play();
    QTest::qWait(250);
    ExpectPlaysToItsEnd(2);
    EXPECT_EQ(NotifyAt(FSpy, 0), TNotifyValue::Superseded);
}

TEST_F(MediaPlayerTest, CloseAbortsThePlayAndReleasesTheFile)
{
    // Longer than the player decodes ahead, so the file is still being read.
    ASSERT_TRUE(WriteSineWav(FSound, 20.0));
    FPlayer.Open();
    FPlayer.Play();
    const QDeadlineTimer deadline(5000);
    while (!IsHeldOpen(FSound) && !deadline.hasExpired())
        QTest::qWait(20);
    ASSERT_TRUE(IsHeldOpen(FSound)) << "the check below would prove nothing";

    FPlayer.Close();
    EXPECT_FALSE(FPlayer.IsOpen());
    EXPECT_FALSE(FPlayer.IsPlaying());
    EXPECT_FALSE(IsHeldOpen(FSound));
    ASSERT_TRUE(WaitForNotifies(FSpy, 1));
    EXPECT_EQ(NotifyAt(FSpy, 0), TNotifyValue::Aborted);
    EXPECT_THROW(FPlayer.Play(), EMediaPlayerError);

    FPlayer.Close();
    FPlayer.Stop();
    EXPECT_FALSE(FSpy.wait(200));
    EXPECT_EQ(FSpy.count(), 1);
}

TEST(MediaPlayer, CloseAndStopWithNothingOpenDoNothing)
{
    TMediaPlayer player;
    QSignalSpy spy(&player, &TMediaPlayer::Notify);
    EXPECT_NO_THROW(player.Close());
    EXPECT_NO_THROW(player.Close());
    EXPECT_NO_THROW(player.Stop());
    EXPECT_FALSE(player.IsOpen());
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_THROW(player.Play(), EMediaPlayerError);
    EXPECT_FALSE(spy.wait(100));
}

TEST(MediaPlayer, SoundWithoutSamplesStillNotifiesItsEnd)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("silence.wav"));
    // This filter chain makes ffmpeg write a bare header and no samples.
    ASSERT_EQ(RunFfmpeg({QStringLiteral("-y"), QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                         QStringLiteral("sine=d=1"), QStringLiteral("-af"),
                         QStringLiteral("asetrate=44100*1,aresample=44100,atempo=100"), path})
                  .ExitCode,
              0);
    TMediaPlayer player;
    QSignalSpy spy(&player, &TMediaPlayer::Notify);
    player.SetFileName(path);
    player.Open();
    player.Play();
    ASSERT_TRUE(WaitForNotifies(spy, 1));
    EXPECT_EQ(NotifyAt(spy, 0), TNotifyValue::Successful);
    EXPECT_FALSE(player.IsPlaying());
}

namespace {

struct TBadFile
{
    const char *Name;
    void (*Make)(const QString &APath, const QString &AGoodSound);
};

void PrintTo(const TBadFile &AFile, std::ostream *AStream)
{
    *AStream << AFile.Name;
}

void WriteBytes(const QString &APath, const QByteArray &ABytes)
{
    QFile file(APath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(ABytes);
}

QByteArray NoiseBytes()
{
    QByteArray bytes;
    quint32 x = 12345;
    for (int i = 0; i < 8000; ++i) {
        x = x * 1103515245u + 12345u;
        bytes.append(char(x >> 24));
    }
    return bytes;
}

const TBadFile BadFiles[] = {
    {"Missing", [](const QString &, const QString &) {}},
    {"Directory", [](const QString &APath, const QString &) { QDir().mkpath(APath); }},
    {"Text", [](const QString &APath, const QString &) { WriteBytes(APath, "this is no sound\n"); }},
    {"Noise", [](const QString &APath, const QString &) { WriteBytes(APath, NoiseBytes()); }},
    {"HeaderCutShort",
     [](const QString &APath, const QString &AGood) {
         QFile good(AGood);
         ASSERT_TRUE(good.open(QIODevice::ReadOnly));
         WriteBytes(APath, good.read(30));
     }},
};

class MediaPlayerOpenFailure : public MediaPlayerTest, public ::testing::WithParamInterface<TBadFile>
{};

} // namespace

TEST_P(MediaPlayerOpenFailure, RaisesAnErrorNamingTheFileAndOpensNothing)
{
    const QString bad = FDir.filePath(QStringLiteral("bad ü.wav"));
    GetParam().Make(bad, FSound);
    FPlayer.SetFileName(bad);
    try {
        FPlayer.Open();
        FAIL() << "Open accepted a bad file";
    } catch (const EMediaPlayerError &error) {
        EXPECT_TRUE(QString::fromUtf8(error.what()).contains(bad)) << error.what();
    }
    EXPECT_FALSE(FPlayer.IsOpen());
    EXPECT_THROW(FPlayer.Play(), EMediaPlayerError);

    // The player is usable again for a good file.
    FPlayer.SetFileName(FSound);
    EXPECT_NO_THROW(FPlayer.Open());
    EXPECT_TRUE(FPlayer.IsOpen());
}

INSTANTIATE_TEST_SUITE_P(BadFiles, MediaPlayerOpenFailure, ::testing::ValuesIn(BadFiles),
                         [](const auto &AInfo) { return std::string(AInfo.param.Name); });

TEST(MediaPlayer, OpenWithoutFileNameRaisesAnError)
{
    TMediaPlayer player;
    EXPECT_THROW(player.Open(), EMediaPlayerError);
    EXPECT_FALSE(player.IsOpen());
}
