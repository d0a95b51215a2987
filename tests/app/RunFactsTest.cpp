#include "app/RunFacts.h"

#include "app/SoundFileHasSamples.h"

#include "AudioFiles.h"
#include "SoundInputs.h"
#include "process/ProcessRunner.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString &APath)
{
    QFile file(APath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString &APath, const QByteArray &AData)
{
    QFile file(APath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(AData);
}

TEST(RunFacts, AWorkFileHasSamplesOnlyWhenItsDataChunkCarriesSome)
{
    QTemporaryDir dir;
    const QString sound = dir.filePath(QStringLiteral("sound.wav"));
    ASSERT_TRUE(SoundInputs::Make(sound, 1));
    ASSERT_TRUE(SoundInputs::Make(dir.filePath(QStringLiteral("sound.mp3")), 1));
    // The tool writes a header and no samples for this graph, and still exits 0.
    ASSERT_EQ(RunFfmpeg({QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), sound,
                         QStringLiteral("-af"), QStringLiteral("asetrate=44100*10,aresample=44100,atempo=100"),
                         dir.filePath(QStringLiteral("header.wav"))})
                  .ExitCode,
              0);
    const QByteArray whole = ReadAll(sound);
    const qsizetype data = whole.indexOf("data");
    ASSERT_GT(data, 12) << "ffmpeg's header has more chunks before the samples";
    WriteAll(dir.filePath(QStringLiteral("cut at samples.wav")), whole.left(data + 8));
    WriteAll(dir.filePath(QStringLiteral("cut in header.wav")), whole.left(data - 4));
    WriteAll(dir.filePath(QStringLiteral("one sample.wav")), whole.left(data + 12));
    WriteAll(dir.filePath(QStringLiteral("empty.wav")), QByteArray());

    const struct
    {
        const char *Name;
        bool HasSamples;
    } cases[] = {
        {"sound.wav", true},          {"one sample.wav", true}, {"header.wav", false}, {"cut at samples.wav", false},
        {"cut in header.wav", false}, {"empty.wav", false},     {"sound.mp3", true},   {"missing.wav", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(SoundFileHasSamples(dir.filePath(QString::fromUtf8(c.Name))), c.HasSamples);
    }
    EXPECT_EQ(QFile(dir.filePath(QStringLiteral("header.wav"))).size(), 78);
}

TEST(RunFacts, ComeFromTheWorkFileAndTheRunner)
{
    QTemporaryDir dir;
    const QString sound = dir.filePath(QStringLiteral("sound.wav"));
    ASSERT_TRUE(SoundInputs::Make(sound, 1));
    TProcessRunner runner;

    const TRunFacts present = RunFactsOf(sound, runner, true);
    EXPECT_TRUE(present.WorkFileExists);
    EXPECT_EQ(present.WorkFileSize, QFile(sound).size());
    EXPECT_TRUE(present.WorkFileHasSamples);
    EXPECT_TRUE(present.AbortRequested);
    EXPECT_EQ(present.EndStatus, esNone);

    const TRunFacts missing = RunFactsOf(dir.filePath(QStringLiteral("none.wav")), runner, false);
    EXPECT_FALSE(missing.WorkFileExists);
    EXPECT_EQ(missing.WorkFileSize, -1);
    EXPECT_FALSE(missing.WorkFileHasSamples);
    EXPECT_FALSE(missing.AbortRequested);

    // The same file cut after the header: there, not empty, but no sound.
    const QByteArray whole = ReadAll(sound);
    const qsizetype data = whole.indexOf("data");
    ASSERT_GT(data, 12);
    const QString header = dir.filePath(QStringLiteral("header.wav"));
    WriteAll(header, whole.left(data + 8));
    const TRunFacts silent = RunFactsOf(header, runner, false);
    EXPECT_TRUE(silent.WorkFileExists);
    EXPECT_EQ(silent.WorkFileSize, data + 8);
    EXPECT_FALSE(silent.WorkFileHasSamples);
}

} // namespace
