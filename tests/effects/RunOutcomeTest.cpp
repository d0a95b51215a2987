#include "effects/RunOutcome.h"
#include "support/CaseName.h"

#include <gtest/gtest.h>

namespace {

struct TOutcomeCase
{
    const char *Name;
    TRunFacts Facts;
    TRunOutcome Expected;
};

void PrintTo(const TOutcomeCase &ACase, std::ostream *AOut)
{
    *AOut << ACase.Name;
}

// A finished run that wrote sound.
constexpr TRunFacts Good{true, 200000, true, false, esProcess, 0};

constexpr TRunFacts With(TRunFacts AFacts, auto TRunFacts::*AField, auto AValue)
{
    AFacts.*AField = AValue;
    return AFacts;
}

class DecideRunOutcomeCases : public testing::TestWithParam<TOutcomeCase>
{};

TEST_P(DecideRunOutcomeCases, IsDecidedInOrder)
{
    EXPECT_EQ(RunOutcomeText(DecideRunOutcome(GetParam().Facts)), RunOutcomeText(GetParam().Expected));
}

constexpr TRunFacts Stopped = With(With(Good, &TRunFacts::AbortRequested, true), &TRunFacts::EndStatus, esStop);

INSTANTIATE_TEST_SUITE_P(
    Cases, DecideRunOutcomeCases,
    testing::Values(
        TOutcomeCase{"Complete", Good, TRunOutcome::Complete},
        TOutcomeCase{"NoWorkFile",
                     With(With(Good, &TRunFacts::WorkFileExists, false), &TRunFacts::WorkFileSize, qint64(-1)),
                     TRunOutcome::Error},
        TOutcomeCase{"EmptyWorkFile", With(Good, &TRunFacts::WorkFileSize, qint64(0)), TRunOutcome::Error},
        // A WAV header and nothing after it is silence, not a result.
        TOutcomeCase{"HeaderOnly",
                     With(With(Good, &TRunFacts::WorkFileSize, qint64(78)), &TRunFacts::WorkFileHasSamples, false),
                     TRunOutcome::Error},
        // Stopped runs: "Aborted" once sound was written, "Error" before.
        TOutcomeCase{"StoppedWithSound", Stopped, TRunOutcome::Aborted},
        TOutcomeCase{"StoppedBeforeAnyFile",
                     With(With(Stopped, &TRunFacts::WorkFileExists, false), &TRunFacts::WorkFileSize, qint64(-1)),
                     TRunOutcome::Error},
        TOutcomeCase{"StoppedHeaderOnly", With(Stopped, &TRunFacts::WorkFileHasSamples, false), TRunOutcome::Error},
        // Stop pressed after the tool had already finished.
        TOutcomeCase{"StopAfterTheEnd", With(Good, &TRunFacts::AbortRequested, true), TRunOutcome::Aborted},
        // The tool failed half-way: its partial file is no result.
        TOutcomeCase{"NonZeroExit", With(Good, &TRunFacts::ExitCode, quint32(1)), TRunOutcome::Error},
        TOutcomeCase{"KilledBySignal", With(Good, &TRunFacts::ExitCode, quint32(128 + 9)), TRunOutcome::Error},
        TOutcomeCase{"RunFailed", With(Good, &TRunFacts::EndStatus, esError), TRunOutcome::Error},
        TOutcomeCase{"TimeLimit", With(Good, &TRunFacts::EndStatus, esTime), TRunOutcome::Error}),
    CaseName<TOutcomeCase>);

TEST(RunOutcomeText, StatusTexts)
{
    EXPECT_EQ(RunOutcomeText(TRunOutcome::Complete), QStringLiteral("Complete"));
    EXPECT_EQ(RunOutcomeText(TRunOutcome::Error), QStringLiteral("Error"));
    EXPECT_EQ(RunOutcomeText(TRunOutcome::Aborted), QStringLiteral("Aborted"));
}

} // namespace
