// The batch engine with the real ffmpeg: ends reported per input, results saved
// on the saving thread, Stop and destruction during a conversion. Also run
// under the address and thread sanitizers (the saving thread).

#include "effects/EffectBatch.h"

#include "effects/SoundFileHasSamples.h"
#include "support/SoundInputs.h"
#include "support/WaitFor.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class EffectBatchTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        Inputs = new QTemporaryDir;
        ASSERT_TRUE(SoundInputs::Make(Inputs->filePath(QStringLiteral("a.wav")), 0.5));
        ASSERT_TRUE(SoundInputs::Make(Inputs->filePath(QStringLiteral("b.wav")), 0.5));
        ASSERT_TRUE(SoundInputs::Make(Inputs->filePath(QStringLiteral("long.wav")), 30, QStringLiteral("anoisesrc")));
    }
    static void TearDownTestSuite()
    {
        delete Inputs;
        Inputs = nullptr;
    }

    void SetUp() override { Watch(FBatch); }

    void Watch(TEffectBatch &ABatch)
    {
        ABatch.SetEffect(QStringLiteral("Robot"), 10, 2);
        ABatch.SetWorkFileBase(FWork.filePath(QStringLiteral("output.wav")));
        QObject::connect(&ABatch, &TEffectBatch::ItemStarted, [this](int AIndex) { FStarted.append(AIndex); });
        QObject::connect(&ABatch, &TEffectBatch::ItemFinished,
                         [this](int AIndex, TRunOutcome AOutcome, const QString &AReason) {
                             FEnds[AIndex] = RunOutcomeText(AOutcome);
                             FReasons[AIndex] = AReason;
                         });
        QObject::connect(&ABatch, &TEffectBatch::Finished, [this] { ++FFinished; });
    }

    static QString Input(const char *AName) { return Inputs->filePath(QString::fromUtf8(AName)); }
    QString Out(const char *AName) const { return FOut.filePath(QString::fromUtf8(AName)); }
    QStringList WorkFolder() const { return QDir(FWork.path()).entryList(QDir::Files); }
    QStringList OutFolder() const { return QDir(FOut.path()).entryList(QDir::Files | QDir::Hidden); }

    static QTemporaryDir *Inputs;
    QTemporaryDir FWork;
    QTemporaryDir FOut;
    TEffectBatch FBatch;
    QList<int> FStarted;
    QMap<int, QString> FEnds;
    QMap<int, QString> FReasons;
    int FFinished = 0;
};

QTemporaryDir *EffectBatchTest::Inputs = nullptr;

TEST_F(EffectBatchTest, RunsEveryInputSavesEachResultAndReportsEachEnd)
{
    FBatch.SetJobs(2);
    FBatch.Start({{Input("a.wav"), Out("a.mp3")},
                  {Input("missing.wav"), Out("missing.wav")},
                  {Input("b.wav"), Out("b.wav")},
                  {Input("a.wav"), QString()}});
    EXPECT_EQ(WorkFolder().size(), 2) << "one new work file per run at once";
    ASSERT_TRUE(WaitUntil([this] { return FFinished == 1; }, 60000));
    EXPECT_EQ(FStarted, (QList<int>{0, 1, 2, 3}));
    EXPECT_EQ(FEnds.values(), (QStringList{"Complete", "Error", "Complete", "Complete"}));
    EXPECT_TRUE(FReasons[1].contains(QStringLiteral("No such file"))) << FReasons[1].toStdString();
    EXPECT_EQ(SoundInputs::Probe(Out("a.mp3")).FormatName, QStringLiteral("mp3"));
    EXPECT_TRUE(SoundFileHasSamples(Out("b.wav")));
    EXPECT_EQ(OutFolder(), (QStringList{"a.mp3", "b.wav"}));
    EXPECT_EQ(WorkFolder(), QStringList()) << "the work files go at the end";
    EXPECT_FALSE(FBatch.IsRunning());
}

TEST_F(EffectBatchTest, AFailedSaveIsAnErrorWithItsReason)
{
    FBatch.Start({{Input("a.wav"), FOut.filePath(QStringLiteral("no/such/folder/a.wav"))}});
    ASSERT_TRUE(WaitUntil([this] { return FFinished == 1; }, 60000));
    EXPECT_EQ(FEnds[0], QStringLiteral("Error"));
    EXPECT_TRUE(FReasons[0].startsWith(QStringLiteral("cannot save \""))) << FReasons[0].toStdString();
}

TEST_F(EffectBatchTest, StopEndsEveryRunAbortedSavesNothingAndStartsNoMore)
{
    FBatch.SetJobs(2);
    FBatch.Start({{Input("long.wav"), Out("1.mp3")}, {Input("long.wav"), Out("2.mp3")}, {Input("a.wav"), Out("3.wav")}});
    ASSERT_TRUE(WaitUntil([this] { return FStarted.size() == 2; }));
    FBatch.Stop();
    ASSERT_TRUE(WaitUntil([this] { return FFinished == 1; }, 60000));
    EXPECT_EQ(FEnds.values(), (QStringList{"Aborted", "Aborted"}));
    EXPECT_EQ(FStarted, (QList<int>{0, 1}));
    EXPECT_EQ(OutFolder(), QStringList());
    EXPECT_EQ(WorkFolder(), QStringList());
}

TEST_F(EffectBatchTest, DestroyedDuringAConversionLeavesNothingHalfDone)
{
    auto batch = std::make_unique<TEffectBatch>();
    Watch(*batch);
    batch->SetEffect(QStringLiteral("Reverse"), 10, 2);
    batch->Start({{Input("long.wav"), Out("long.mp3")}});
    // The conversion's new file beside the target shows that it is under way.
    ASSERT_TRUE(WaitUntil([&] { return !OutFolder().isEmpty(); }, 60000));
    batch.reset();
    EXPECT_EQ(OutFolder(), QStringList()) << "the conversion was stopped and its file removed";
    EXPECT_EQ(WorkFolder(), QStringList());
    EXPECT_EQ(FFinished, 0);
}

} // namespace
