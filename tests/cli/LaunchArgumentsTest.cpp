#include "cli/LaunchArguments.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

#include "support/QtPrinters.h"

namespace {

struct TLaunchCase
{
    const char *Name;
    QStringList Arguments;
    bool CommandLineMode;
    QStringList Files;
};

// The case's name in ctest's list instead of its bytes.
void PrintTo(const TLaunchCase &ACase, std::ostream *AOut)
{
    *AOut << ACase.Name;
}

class LaunchArguments : public ::testing::TestWithParam<TLaunchCase>
{};

TEST_P(LaunchArguments, DecideBetweenWindowAndCommandLineMode)
{
    const TLaunchCase &c = GetParam();
    const TLaunchArguments launch = TLaunchArguments::Decide(c.Arguments);
    EXPECT_EQ(launch.CommandLineMode, c.CommandLineMode);
    EXPECT_EQ(launch.Files, c.Files);
}

const QString Song = QStringLiteral("/music/it's $5 – Grüße.mp3");

INSTANTIATE_TEST_SUITE_P(
    Arguments, LaunchArguments,
    ::testing::Values(TLaunchCase{"none opens the window", {}, false, {}},
                      TLaunchCase{"files only open the window with them in order",
                                  {Song, QStringLiteral("b.wav"), QStringLiteral("a.wav")},
                                  false,
                                  {Song, QStringLiteral("b.wav"), QStringLiteral("a.wav")}},
                      // Reported by the window, which adds the rest.
                      TLaunchCase{"a missing file still opens the window",
                                  {QStringLiteral("/nonexistent/x.mp3"), QStringLiteral("notes.txt")},
                                  false,
                                  {QStringLiteral("/nonexistent/x.mp3"), QStringLiteral("notes.txt")}},
                      TLaunchCase{"an option alone", {QStringLiteral("--help")}, true, {}},
                      TLaunchCase{
                          "options with inputs", {QStringLiteral("--effect"), QStringLiteral("Robot"), Song}, true, {}},
                      TLaunchCase{"an option after the files", {Song, QStringLiteral("-V")}, true, {}},
                      TLaunchCase{"the end of options", {QStringLiteral("--"), Song}, true, {}},
                      TLaunchCase{"a lone dash is a file name", {QStringLiteral("-")}, false, {QStringLiteral("-")}},
                      TLaunchCase{"a dash inside a name is a file name",
                                  {QStringLiteral("./-take-1.wav")},
                                  false,
                                  {QStringLiteral("./-take-1.wav")}}),
    CaseName<TLaunchCase>);

} // namespace
