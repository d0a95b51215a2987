// The saves that run while the event loop turns: the MP3 conversion and the
// WAV copy, with the real ffmpeg and real files.

#include "effects/Mp3Conversion.h"
#include "effects/WavCopy.h"

#include "support/QtPrinters.h"
#include "support/SoundInputs.h"
#include "support/WaitFor.h"

#include <QFileInfo>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>

namespace {

QByteArray Contents(const QString &APath)
{
    QFile file(APath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class SaveJobTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        Sounds = new QTemporaryDir;
        // Long enough for the conversion to take a while and report progress.
        ASSERT_TRUE(SoundInputs::Make(LongResult(), 90, QStringLiteral("anoisesrc")));
    }
    static void TearDownTestSuite()
    {
        delete Sounds;
        Sounds = nullptr;
    }

    static QString LongResult() { return Sounds->filePath(QStringLiteral("long.wav")); }
    QString Target(const QString &AName) const { return FFolder.filePath(AName); }
    QStringList Files() const { return QDir(FFolder.path()).entryList(QDir::Files | QDir::Hidden | QDir::System); }

    // A result that never arrives: the tool waits on it until it is stopped.
    QString StalledResult() const
    {
        const QString path = FFolder.filePath(QStringLiteral("stalled.fifo"));
        EXPECT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        return path;
    }

    static QTemporaryDir *Sounds;
    QTemporaryDir FFolder;
};

QTemporaryDir *SaveJobTest::Sounds = nullptr;

TEST_F(SaveJobTest, Mp3ConversionReportsProgressWhileTheEventLoopTurns)
{
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(5);

    TMp3Conversion conversion;
    QSignalSpy progress(&conversion, &TSaveJob::Progress);
    QSignalSpy finished(&conversion, &TSaveJob::Finished);
    const QString target = Target(QStringLiteral("long.mp3"));
    QString why;
    ASSERT_TRUE(conversion.Start(LongResult(), target, &why)) << why.toStdString();
    EXPECT_TRUE(conversion.IsRunning());
    EXPECT_EQ(ticks, 0);
    ASSERT_TRUE(WaitUntil([&] { return !finished.isEmpty(); }, 120000));

    EXPECT_GT(ticks, 0) << "the conversion held up the event loop";
    ASSERT_EQ(finished.size(), 1);
    EXPECT_TRUE(finished[0][0].toBool()) << finished[0][1].toString().toStdString();
    ASSERT_FALSE(progress.isEmpty());
    double last = 0;
    for (const QList<QVariant> &fraction : progress) {
        EXPECT_GE(fraction[0].toDouble(), last);
        last = fraction[0].toDouble();
    }
    EXPECT_GT(last, 0.9);
    EXPECT_LE(last, 1.0);
    EXPECT_EQ(SoundInputs::Probe(target).FormatName, QStringLiteral("mp3"));
    EXPECT_EQ(Files(), QStringList{QStringLiteral("long.mp3")});
}

// Every way a conversion can end early keeps the target and leaves nothing beside it.
enum class TWayOut { Cancel, Destroyed, ToolFails };

class Mp3WayOut : public SaveJobTest, public ::testing::WithParamInterface<TWayOut>
{};

TEST_P(Mp3WayOut, KeepsTheTargetAndLeavesNoFileBehind)
{
    const QString target = Target(QStringLiteral("keep.mp3"));
    {
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("an older file");
    }
    const QString stalled = StalledResult();
    auto conversion = std::make_unique<TMp3Conversion>();
    QSignalSpy finished(conversion.get(), &TSaveJob::Finished);
    const QString input = GetParam() == TWayOut::ToolFails ? Target(QStringLiteral("missing.wav")) : stalled;
    ASSERT_TRUE(conversion->Start(input, target));
    EXPECT_EQ(Files().size(), 3) << "the tool's file beside the target";
    QTest::qWait(200); // the tool is up and waiting on its input

    switch (GetParam()) {
    case TWayOut::Cancel:
        conversion->Cancel();
        ASSERT_TRUE(WaitUntil([&] { return !finished.isEmpty(); }));
        EXPECT_FALSE(finished[0][0].toBool());
        EXPECT_TRUE(conversion->Cancelled());
        break;
    case TWayOut::Destroyed:
        conversion.reset();
        break;
    case TWayOut::ToolFails:
        ASSERT_TRUE(WaitUntil([&] { return !finished.isEmpty(); }));
        EXPECT_FALSE(finished[0][0].toBool());
        EXPECT_TRUE(finished[0][1].toString().contains(QStringLiteral("exit code")))
            << finished[0][1].toString().toStdString();
        EXPECT_FALSE(conversion->Cancelled());
        break;
    }
    EXPECT_EQ(Contents(target), QByteArray("an older file"));
    EXPECT_EQ(Files(), (QStringList{QStringLiteral("keep.mp3"), QStringLiteral("stalled.fifo")}));
}

std::string WayOutName(const ::testing::TestParamInfo<TWayOut> &AInfo)
{
    const char *const names[] = {"Cancel", "Destroyed", "ToolFails"};
    return names[int(AInfo.param)];
}

INSTANTIATE_TEST_SUITE_P(Ways, Mp3WayOut, ::testing::Values(TWayOut::Cancel, TWayOut::Destroyed, TWayOut::ToolFails),
                         WayOutName);

TEST_F(SaveJobTest, Mp3ConversionThatCannotStartSaysWhy)
{
    TMp3Conversion conversion;
    QString why;
    EXPECT_FALSE(conversion.Start(LongResult(), Target(QStringLiteral("no/such/folder/x.mp3")), &why));
    EXPECT_TRUE(why.contains(QStringLiteral("no/such/folder"))) << why.toStdString();
    EXPECT_FALSE(conversion.IsRunning());
}

TEST_F(SaveJobTest, WavCopyGoesPieceByPieceBetweenTurnsOfTheEventLoop)
{
    const QString target = Target(QStringLiteral("copy.wav"));
    TWavCopy copy;
    QSignalSpy progress(&copy, &TSaveJob::Progress);
    QSignalSpy finished(&copy, &TSaveJob::Finished);
    ASSERT_TRUE(copy.Start(LongResult(), target));
    EXPECT_TRUE(finished.isEmpty()) << "nothing is copied before the event loop turns";
    ASSERT_TRUE(WaitUntil([&] { return !finished.isEmpty(); }));
    EXPECT_TRUE(finished[0][0].toBool()) << finished[0][1].toString().toStdString();
    EXPECT_GT(progress.size(), 1);
    EXPECT_EQ(Contents(target), Contents(LongResult()));
    EXPECT_EQ(Files(), QStringList{QStringLiteral("copy.wav")});
}

TEST_F(SaveJobTest, WavCopyCancelledHalfWayKeepsTheTarget)
{
    const QString target = Target(QStringLiteral("keep.wav"));
    {
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("an older file");
    }
    TWavCopy copy;
    QSignalSpy progress(&copy, &TSaveJob::Progress);
    QSignalSpy finished(&copy, &TSaveJob::Finished);
    ASSERT_TRUE(copy.Start(LongResult(), target));
    ASSERT_TRUE(WaitUntil([&] { return !progress.isEmpty(); }));
    copy.Cancel();
    ASSERT_EQ(finished.size(), 1);
    EXPECT_FALSE(finished[0][0].toBool());
    EXPECT_TRUE(copy.Cancelled());
    QTest::qWait(50); // no piece is copied after the cancel
    EXPECT_EQ(finished.size(), 1);
    EXPECT_EQ(Contents(target), QByteArray("an older file"));
    EXPECT_EQ(Files(), QStringList{QStringLiteral("keep.wav")});
}

// The jobs' targets obey the command line's rules: a link is written through
// and stays, anything but a regular file is refused before work starts.
enum class TJobKind { Mp3, Wav };

class SaveJobTarget : public SaveJobTest, public ::testing::WithParamInterface<TJobKind>
{
protected:
    std::unique_ptr<TSaveJob> StartJob(const QString &AResult, const QString &ATarget, QString *AWhy)
    {
        if (GetParam() == TJobKind::Mp3) {
            auto job = std::make_unique<TMp3Conversion>();
            return job->Start(AResult, ATarget, AWhy) ? std::move(job) : nullptr;
        }
        auto job = std::make_unique<TWavCopy>();
        return job->Start(AResult, ATarget, AWhy) ? std::move(job) : nullptr;
    }
};

TEST_P(SaveJobTarget, ALinkIsWrittenThroughAndAFifoRefused)
{
    const QString result = Target(QStringLiteral("short.wav"));
    ASSERT_TRUE(SoundInputs::Make(result, 0.5));
    QTemporaryDir elsewhere;
    const QString real = elsewhere.filePath(QStringLiteral("real"));
    QFile(real).open(QIODevice::WriteOnly);
    const QString link = Target(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(real, link));

    QString why;
    std::unique_ptr<TSaveJob> job = StartJob(result, link, &why);
    ASSERT_TRUE(job) << why.toStdString();
    QSignalSpy finished(job.get(), &TSaveJob::Finished);
    ASSERT_TRUE(WaitUntil([&] { return !finished.isEmpty(); }));
    EXPECT_TRUE(finished[0][0].toBool()) << finished[0][1].toString().toStdString();
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), real);
    EXPECT_GT(QFileInfo(real).size(), 1000);
    EXPECT_EQ(QDir(elsewhere.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("real")});

    const QString fifo = Target(QStringLiteral("pipe"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_FALSE(StartJob(result, fifo, &why));
    EXPECT_TRUE(why.contains(fifo)) << why.toStdString();
    struct stat after = {};
    ASSERT_EQ(stat(QFile::encodeName(fifo).constData(), &after), 0);
    EXPECT_TRUE(S_ISFIFO(after.st_mode));
    EXPECT_EQ(Files(), (QStringList{QStringLiteral("link"), QStringLiteral("pipe"), QStringLiteral("short.wav")}));
}

INSTANTIATE_TEST_SUITE_P(Jobs, SaveJobTarget, ::testing::Values(TJobKind::Mp3, TJobKind::Wav),
                         [](const ::testing::TestParamInfo<TJobKind> &AInfo) {
                             return std::string(AInfo.param == TJobKind::Mp3 ? "Mp3" : "Wav");
                         });

} // namespace
