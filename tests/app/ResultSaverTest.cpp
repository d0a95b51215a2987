#include "app/ResultSaver.h"

#include "SoundInputs.h"
#include "platform/ScopedEnv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray Contents(const QString &APath)
{
    QFile file(APath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void Write(const QString &APath, const QByteArray &AData)
{
    QFile file(APath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(AData);
}

class ResultSaverTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        Sounds = new QTemporaryDir;
        ASSERT_TRUE(SoundInputs::Make(Sounds->filePath(QStringLiteral("output.wav")), 1.0));
    }
    static void TearDownTestSuite()
    {
        delete Sounds;
        Sounds = nullptr;
    }

    // A finished run's result, as the effect run leaves it.
    static QString WorkFile() { return Sounds->filePath(QStringLiteral("output.wav")); }
    QString Target(const QString &AName) const { return FFolder.filePath(AName); }

    static QTemporaryDir *Sounds;
    QTemporaryDir FFolder;
};

QTemporaryDir *ResultSaverTest::Sounds = nullptr;

TEST_F(ResultSaverTest, WavIsAnExactCopyThatReplacesAnExistingFile)
{
    const QString target = Target(QStringLiteral("saved.wav"));
    Write(target, "an older file, longer than nothing");
    QString why;
    EXPECT_TRUE(SaveAsWav(WorkFile(), target, &why)) << why.toStdString();
    EXPECT_EQ(Contents(target), Contents(WorkFile()));
    EXPECT_EQ(QDir(FFolder.path()).entryList(QDir::Files), QStringList{QStringLiteral("saved.wav")});
}

TEST_F(ResultSaverTest, WavFailuresAreReportedAndKeepTheOldFile)
{
    const QString target = Target(QStringLiteral("keep.wav"));
    Write(target, "keep me");
    QString why;
    EXPECT_FALSE(SaveAsWav(Target(QStringLiteral("no-output.wav")), target, &why));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_EQ(Contents(target), QByteArray("keep me"));

    why.clear();
    EXPECT_FALSE(SaveAsWav(WorkFile(), Target(QStringLiteral("no/such/folder/x.wav")), &why));
    EXPECT_FALSE(why.isEmpty());

    // A folder in the way of the target.
    ASSERT_TRUE(QDir(FFolder.path()).mkdir(QStringLiteral("taken.wav")));
    EXPECT_FALSE(SaveAsWav(WorkFile(), Target(QStringLiteral("taken.wav"))));
}

TEST_F(ResultSaverTest, Mp3CommandLineQuotesBothPaths)
{
    EXPECT_EQ(
        Mp3ConversionCommand(QStringLiteral("/home/u/.local/share/Quillaby/Tonara/output.wav"),
                             QStringLiteral("/home/u/My Music/a b.mp3")),
        QStringLiteral(R"(ffmpeg -y -i "/home/u/.local/share/Quillaby/Tonara/output.wav" "/home/u/My Music/a b.mp3")"));
    EXPECT_EQ(Mp3ConversionCommand(QStringLiteral("/w/output.wav"), QStringLiteral(R"(/m/say "hi".mp3)")),
              QStringLiteral(R"(ffmpeg -y -i "/w/output.wav" "/m/say \"hi\".mp3")"));
}

TEST_F(ResultSaverTest, Mp3IsPlayableWhateverTheName)
{
    for (const QString &name : SoundInputs::AwkwardNames()) {
        SCOPED_TRACE(name.toStdString());
        const QString target = Target(name + QStringLiteral(".mp3"));
        QString why;
        ASSERT_TRUE(SaveAsMp3(WorkFile(), target, &why)) << why.toStdString();
        const SoundInputs::TProbe probe = SoundInputs::Probe(target);
        EXPECT_EQ(probe.FormatName, QStringLiteral("mp3"));
        EXPECT_NEAR(probe.Duration, 1.0, 0.1);
    }
}

TEST_F(ResultSaverTest, Mp3ReplacesAnExistingFile)
{
    const QString target = Target(QStringLiteral("again.mp3"));
    Write(target, "not an mp3");
    EXPECT_TRUE(SaveAsMp3(WorkFile(), target));
    EXPECT_EQ(SoundInputs::Probe(target).FormatName, QStringLiteral("mp3"));
}

TEST_F(ResultSaverTest, Mp3RelativeNamesAreTakenFromTheCurrentFolder)
{
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(Sounds->path()));
    const bool saved = SaveAsMp3(QStringLiteral("output.wav"), QStringLiteral("relative.mp3"));
    QDir::setCurrent(before);
    EXPECT_TRUE(saved);
    EXPECT_EQ(SoundInputs::Probe(Sounds->filePath(QStringLiteral("relative.mp3"))).FormatName, QStringLiteral("mp3"));
}

TEST_F(ResultSaverTest, Mp3FailuresAreReported)
{
    QString why;
    // The tool refuses a work file that holds no sound (exit code 1).
    const QString junk = Target(QStringLiteral("junk.wav"));
    Write(junk, QByteArray(4096, 'j'));
    EXPECT_FALSE(SaveAsMp3(junk, Target(QStringLiteral("from-junk.mp3")), &why));
    EXPECT_TRUE(why.contains(QStringLiteral("exit code"))) << why.toStdString();

    // No work file at all.
    EXPECT_FALSE(SaveAsMp3(Target(QStringLiteral("missing.wav")), Target(QStringLiteral("x.mp3"))));
    // A target the tool cannot create.
    EXPECT_FALSE(SaveAsMp3(WorkFile(), Target(QStringLiteral("no/such/folder/x.mp3"))));

    // The tool cannot be found: neither beside this program nor on the PATH.
    {
        TScopedEnv path("PATH", FFolder.path().toUtf8());
        why.clear();
        EXPECT_FALSE(SaveAsMp3(WorkFile(), Target(QStringLiteral("no-tool.mp3")), &why));
        EXPECT_TRUE(why.startsWith(QStringLiteral("cannot start"))) << why.toStdString();
    }
    EXPECT_FALSE(QFile::exists(Target(QStringLiteral("no-tool.mp3"))));
}

} // namespace
