// One effect run with the real ffmpeg: how it ends and why, its progress, Stop,
// and the tool's question about a file in the way of the work file.

#include "effects/EffectRun.h"

#include "effects/SoundFileHasSamples.h"
#include "process/ProcessRunner.h"
#include "support/SoundInputs.h"
#include "support/WaitFor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class EffectRunTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        Inputs = new QTemporaryDir;
        ASSERT_TRUE(SoundInputs::Make(Inputs->filePath(QStringLiteral("short.wav")), 0.5));
        ASSERT_TRUE(SoundInputs::Make(Inputs->filePath(QStringLiteral("long.wav")), 30, QStringLiteral("anoisesrc")));
    }
    static void TearDownTestSuite()
    {
        delete Inputs;
        Inputs = nullptr;
    }

    void SetUp() override
    {
        QObject::connect(&FRun, &TEffectRun::Finished, [this](TRunOutcome AOutcome, const QString &AReason) {
            FEnds.append({AOutcome, AReason});
        });
        QObject::connect(&FRun, &TEffectRun::NewLine, [this](const QString &ALine, TOutputType AType) {
            if (AType == otEntireLine)
                FLines.append(ALine);
        });
        QObject::connect(&FRun, &TEffectRun::ProgressChanged, [this] { FFractions.append(FRun.Fraction()); });
    }

    static QString Input(const char *AName) { return Inputs->filePath(QString::fromUtf8(AName)); }
    QString Work() const { return FWork.filePath(QStringLiteral("work.wav")); }
    TEffectJob Job(const QString &AInput, const char *AEffect = "Robot") const
    {
        return {AInput, QString::fromUtf8(AEffect), 10, 2, Work()};
    }
    bool WaitForEnd() { return WaitUntil([this] { return !FEnds.isEmpty(); }, 60000); }

    struct TEnd
    {
        TRunOutcome Outcome;
        QString Reason;
    };
    static QTemporaryDir *Inputs;
    QTemporaryDir FWork;
    TEffectRun FRun;
    QList<TEnd> FEnds;
    QStringList FLines;
    QList<std::optional<double>> FFractions;
};

QTemporaryDir *EffectRunTest::Inputs = nullptr;

TEST_F(EffectRunTest, CompletesIntoItsWorkFileWithProgressToTheEnd)
{
    QFile stale(Work());
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("an earlier result");
    stale.close();
    FRun.Start(Job(Input("short.wav")));
    EXPECT_TRUE(FRun.IsRunning());
    EXPECT_TRUE(FEnds.isEmpty()) << "the end is reported from the event loop only";
    ASSERT_TRUE(WaitForEnd());
    ASSERT_EQ(FEnds.size(), 1);
    EXPECT_EQ(FEnds[0].Outcome, TRunOutcome::Complete);
    EXPECT_EQ(FEnds[0].Reason, QString());
    EXPECT_TRUE(SoundFileHasSamples(Work()));
    ASSERT_FALSE(FFractions.isEmpty());
    ASSERT_TRUE(FFractions.last().has_value());
    EXPECT_NEAR(*FFractions.last(), 1.0, 0.05);
}

TEST_F(EffectRunTest, FailuresCarryTheirReason)
{
    const struct
    {
        const char *Name;
        QString Input;
        const char *Effect;
        const char *ReasonPart;
    } cases[] = {
        {"missing input", Input("missing.wav"), "Robot", "No such file"},
        {"not sound", Inputs->path(), "Robot", "Is a directory"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        FEnds.clear();
        FRun.Start(Job(c.Input, c.Effect));
        ASSERT_TRUE(WaitForEnd());
        EXPECT_EQ(FEnds[0].Outcome, TRunOutcome::Error);
        EXPECT_TRUE(FEnds[0].Reason.contains(QString::fromUtf8(c.ReasonPart))) << FEnds[0].Reason.toStdString();
        EXPECT_EQ(FRun.Outcome(), TRunOutcome::Error);
        EXPECT_EQ(FRun.Reason(), FEnds[0].Reason);
    }
}

TEST_F(EffectRunTest, StopHalfWayEndsAborted)
{
    FRun.Start(Job(Input("long.wav")));
    ASSERT_TRUE(WaitUntil([this] { return !FFractions.isEmpty() && FFractions.last().value_or(0) > 0; }, 60000));
    FRun.Stop();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(FEnds[0].Outcome, TRunOutcome::Aborted);
    EXPECT_EQ(FEnds[0].Reason, QStringLiteral("stopped"));
}

TEST_F(EffectRunTest, ThingInTheWayOfTheWorkFileIsAnsweredOnceAndEndsInError)
{
    // The run cannot delete a folder at the work file's name, so the tool asks
    // whether to replace it. With the answer echoed into the output, each
    // answer sent shows as one line.
    ASSERT_TRUE(QDir().mkpath(Work() + QStringLiteral("/kept")));
    FRun.Runner()->SetInputToOutput(true);
    bool startError = false;
    FRun.Runner()->SetOnExecuteError([&](QObject *, const std::exception &, bool &AHandled) {
        startError = AHandled = true;
    });
    FRun.Start(Job(Input("short.wav")));
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(FEnds[0].Outcome, TRunOutcome::Error);
    EXPECT_FALSE(startError);
    EXPECT_EQ(FLines.filter(QRegularExpression(QStringLiteral("N\\r?\\n?$"))).filter(QStringLiteral("[y/N]")).size(), 1)
        << FLines.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(QFileInfo(Work() + QStringLiteral("/kept")).isDir());
}

TEST_F(EffectRunTest, InputThatIsTheWorkFileIsReadFromACopy)
{
    FRun.Start(Job(Input("short.wav")));
    ASSERT_TRUE(WaitForEnd());
    FEnds.clear();
    FRun.Start(Job(Work(), "Reverse"));
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(FEnds[0].Outcome, TRunOutcome::Complete) << FEnds[0].Reason.toStdString();
    EXPECT_TRUE(SoundFileHasSamples(Work()));
}

} // namespace
