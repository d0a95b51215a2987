#include "app/RunFacts.h"

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
