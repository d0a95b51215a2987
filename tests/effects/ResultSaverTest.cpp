#include "effects/ResultSaver.h"

#include "support/ScopedEnv.h"
#include "support/SoundInputs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>

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
        QStringLiteral(
            R"(ffmpeg -y -xerror -i "/home/u/.local/share/Quillaby/Tonara/output.wav" -f mp3 "/home/u/My Music/a b.mp3")"));
    EXPECT_EQ(Mp3ConversionCommand(QStringLiteral("/w/output.wav"), QStringLiteral(R"(/m/say "hi".mp3)")),
              QStringLiteral(R"(ffmpeg -y -xerror -i "/w/output.wav" -f mp3 "/m/say \"hi\".mp3")"));
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

TEST_F(ResultSaverTest, Mp3IsWrittenWhateverTheNameEndsIn)
{
    for (const QString &name : {QStringLiteral("song.audio"), QStringLiteral("song.wav"), QStringLiteral("song")}) {
        SCOPED_TRACE(name.toStdString());
        QString why;
        ASSERT_TRUE(SaveAsMp3(WorkFile(), Target(name), &why)) << why.toStdString();
        EXPECT_EQ(SoundInputs::Probe(Target(name)).FormatName, QStringLiteral("mp3"));
    }
}

// Files may grow to ABytes while it lives; the signal that would end the
// process becomes a failed write instead.
class TFileSizeLimit
{
public:
    explicit TFileSizeLimit(rlim_t ABytes)
    {
        getrlimit(RLIMIT_FSIZE, &FOld);
        FOldHandler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit lowered{ABytes, FOld.rlim_max};
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &lowered), 0);
    }
    ~TFileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &FOld);
        std::signal(SIGXFSZ, FOldHandler);
    }
    TFileSizeLimit(const TFileSizeLimit &) = delete;
    TFileSizeLimit &operator=(const TFileSizeLimit &) = delete;

private:
    rlimit FOld{};
    void (*FOldHandler)(int) = SIG_DFL;
};

struct TFailedSaveCase
{
    const char *Name;
    bool (*Save)(const QString &, const QString &, QString *);
    const char *Target; // named as the user chose it, so the tool knows what to write
    bool HalfWay;       // the disk fills up during the write; otherwise the work file is no sound
};

bool SaveWav(const QString &AWork, const QString &ATarget, QString *AWhy)
{
    return SaveAsWav(AWork, ATarget, AWhy);
}

bool SaveMp3(const QString &AWork, const QString &ATarget, QString *AWhy)
{
    return SaveAsMp3(AWork, ATarget, AWhy);
}

class FailedSave : public ResultSaverTest, public ::testing::WithParamInterface<TFailedSaveCase>
{};

TEST_P(FailedSave, LeavesTheExistingFileAsItWasAndNothingElse)
{
    const TFailedSaveCase &c = GetParam();
    const QString target = Target(QString::fromUtf8(c.Target));
    Write(target, "the old contents");
    QString work = WorkFile();
    if (!c.HalfWay)
        Write(work = Target(QStringLiteral("junk.wav")), QByteArray(4096, 'j'));
    QString why;
    {
        // Far less than the result, far more than the old contents.
        std::optional<TFileSizeLimit> limit;
        if (c.HalfWay)
            limit.emplace(8192);
        EXPECT_FALSE(c.Save(work, target, &why));
    }
    EXPECT_FALSE(why.isEmpty());
    EXPECT_EQ(Contents(target), QByteArray("the old contents"));
    QStringList expected{QString::fromUtf8(c.Target)};
    if (!c.HalfWay)
        expected.prepend(QStringLiteral("junk.wav"));
    EXPECT_EQ(QDir(FFolder.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
}

INSTANTIATE_TEST_SUITE_P(Failures, FailedSave,
                         ::testing::Values(TFailedSaveCase{"WavHalfWay", SaveWav, "keep.wav", true},
                                           TFailedSaveCase{"Mp3HalfWay", SaveMp3, "keep.mp3", true},
                                           TFailedSaveCase{"Mp3OfNoSound", SaveMp3, "keep.mp3", false}),
                         [](const auto &AInfo) { return std::string(AInfo.param.Name); });

} // namespace

namespace {

// What stands at the target before the save: made by the row, checked after.
enum class TStanding { Fifo, LinkToNullDevice, Folder };

struct TSpecialTargetCase
{
    const char *Name;
    bool (*Save)(const QString &, const QString &, QString *);
    TStanding Standing;
    const char *Kind; // as the refusal names it
};

void PrintTo(const TSpecialTargetCase &ACase, std::ostream *AOut)
{
    *AOut << ACase.Name;
}

class SpecialTarget : public ResultSaverTest, public ::testing::WithParamInterface<TSpecialTargetCase>
{};

TEST_P(SpecialTarget, IsRefusedAndLeftAsItWas)
{
    const TSpecialTargetCase &c = GetParam();
    const QString target = Target(QStringLiteral("saved.") + QString::fromUtf8(c.Name).left(3).toLower());
    const QByteArray encoded = QFile::encodeName(target);
    switch (c.Standing) {
    case TStanding::Fifo:
        ASSERT_EQ(mkfifo(encoded.constData(), 0600), 0);
        break;
    case TStanding::LinkToNullDevice:
        ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), target));
        break;
    case TStanding::Folder:
        ASSERT_TRUE(QDir().mkdir(target));
        break;
    }
    QString why;
    EXPECT_FALSE(c.Save(WorkFile(), target, &why));
    EXPECT_EQ(why, QStringLiteral("The output \"%1\" is %2, not a regular file; nothing is saved there.")
                        .arg(target, QString::fromUtf8(c.Kind)));
    const QFileInfo after(target);
    if (c.Standing == TStanding::LinkToNullDevice)
        EXPECT_EQ(after.symLinkTarget(), QStringLiteral("/dev/null"));
    else
        EXPECT_EQ(after.isDir(), c.Standing == TStanding::Folder);
    struct stat status
    {};
    ASSERT_EQ(stat(encoded.constData(), &status), 0);
    EXPECT_FALSE(S_ISREG(status.st_mode));
    // Nothing was written beside it either.
    EXPECT_EQ(QDir(FFolder.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{after.fileName()});
}

INSTANTIATE_TEST_SUITE_P(
    Targets, SpecialTarget,
    ::testing::Values(TSpecialTargetCase{"WavFifo", SaveWav, TStanding::Fifo, "a named pipe (FIFO)"},
                      TSpecialTargetCase{"Mp3Fifo", SaveMp3, TStanding::Fifo, "a named pipe (FIFO)"},
                      TSpecialTargetCase{"WavLinkToNull", SaveWav, TStanding::LinkToNullDevice, "a character device"},
                      TSpecialTargetCase{"Mp3LinkToNull", SaveMp3, TStanding::LinkToNullDevice, "a character device"},
                      TSpecialTargetCase{"WavFolder", SaveWav, TStanding::Folder, "a folder"},
                      TSpecialTargetCase{"Mp3Folder", SaveMp3, TStanding::Folder, "a folder"}),
    [](const auto &AInfo) { return std::string(AInfo.param.Name); });

// A link at the target stays a link, and the file it points to (existing or not
// yet) receives the result.
TEST_F(ResultSaverTest, LinksAtTheTargetAreWrittenThrough)
{
    ASSERT_TRUE(QDir(FFolder.path()).mkdir(QStringLiteral("real")));
    const QString existing = Target(QStringLiteral("real/existing.mp3"));
    Write(existing, "an older file");
    const struct
    {
        bool (*Save)(const QString &, const QString &, QString *);
        QString Link, Real;
    } rows[] = {{SaveWav, Target(QStringLiteral("a.wav")), Target(QStringLiteral("real/new.wav"))},
                {SaveMp3, Target(QStringLiteral("b.mp3")), existing},
                {SaveMp3, Target(QStringLiteral("c.mp3")), Target(QStringLiteral("real/new.mp3"))}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.Link.toStdString());
        ASSERT_TRUE(QFile::link(row.Real, row.Link));
        QString why;
        ASSERT_TRUE(row.Save(WorkFile(), row.Link, &why)) << why.toStdString();
        EXPECT_EQ(QFileInfo(row.Link).symLinkTarget(), row.Real);
        const QString format = row.Real.endsWith(QLatin1String(".wav")) ? QStringLiteral("wav") : QStringLiteral("mp3");
        EXPECT_EQ(SoundInputs::Probe(row.Real).FormatName, format);
    }
    EXPECT_EQ(QDir(Target(QStringLiteral("real"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({QStringLiteral("existing.mp3"), QStringLiteral("new.mp3"), QStringLiteral("new.wav")}));
}

} // namespace
