#include "platform/CommandLine.h"
#include "support/ListedText.h"

#include <gtest/gtest.h>

namespace {

struct TSplitCase
{
    const char *Line;
    QStringList Expected;
};

void PrintTo(const TSplitCase &ACase, std::ostream *AOut)
{
    *AOut << ListedText(ACase.Line);
}

class SplitCommandLine : public testing::TestWithParam<TSplitCase>
{};

TEST_P(SplitCommandLine, FollowsTheWindowsRules)
{
    const TSplitCase &c = GetParam();
    EXPECT_EQ(Platform::SplitCommandLine(QString::fromUtf8(c.Line)), c.Expected) << c.Line;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitCommandLine,
    testing::Values(
        TSplitCase{"", {}}, TSplitCase{"   \t ", {}}, TSplitCase{"ffmpeg", {"ffmpeg"}},
        TSplitCase{"  ffmpeg   -i  a.mp3\t-y ", {"ffmpeg", "-i", "a.mp3", "-y"}},
        // Double quotes group blanks and disappear.
        TSplitCase{R"(ffmpeg -i "C:\My Music\a b.mp3" out.wav)", {"ffmpeg", "-i", R"(C:\My Music\a b.mp3)", "out.wav"}},
        TSplitCase{R"(p a"b c"d)", {"p", "ab cd"}}, TSplitCase{R"(p "")", {"p", ""}},
        TSplitCase{R"(p "" x)", {"p", "", "x"}},
        // Single quotes are ordinary characters: filter graphs keep theirs.
        TSplitCase{"ffmpeg -af afftfilt=real='hypot(re,im)*sin(0)':imag='hypot(re,im)*cos(0)' o.wav",
                   {"ffmpeg", "-af", "afftfilt=real='hypot(re,im)*sin(0)':imag='hypot(re,im)*cos(0)'", "o.wav"}},
        TSplitCase{"p 'a b'", {"p", "'a", "b'"}},
        // Backslashes: literal unless they come before a quote.
        TSplitCase{R"(p a\b c\\d)", {"p", R"(a\b)", R"(c\\d)"}}, TSplitCase{R"(p a\"b)", {"p", R"(a"b)"}},
        TSplitCase{R"(p a\\"b c")", {"p", R"(a\b c)"}}, TSplitCase{R"(p a\\\"b)", {"p", R"(a\"b)"}},
        TSplitCase{R"(p "C:\dir\\")", {"p", R"(C:\dir\)"}}, TSplitCase{R"(p "a""b")", {"p", R"(a"b)"}},
        TSplitCase{R"(p "unterminated arg)", {"p", "unterminated arg"}},
        // The program name takes backslashes literally and ends at a blank outside quotes.
        TSplitCase{R"("C:\Program Files\x.exe" -v)", {R"(C:\Program Files\x.exe)", "-v"}},
        TSplitCase{R"(C:\dir\"x y" z)", {R"(C:\dir\x y)", "z"}},
        // Anything else is kept as it is: $, *, ;, non-ASCII letters.
        TSplitCase{"p $HOME *.wav a;b \"Müller Café.mp3\"", {"p", "$HOME", "*.wav", "a;b", "Müller Café.mp3"}}),
    [](const testing::TestParamInfo<TSplitCase> &AInfo) { return "Line" + std::to_string(AInfo.index); });

} // namespace

namespace {

struct TQuoteCase
{
    const char *Argument;
    const char *Quoted;
};

void PrintTo(const TQuoteCase &ACase, std::ostream *AOut)
{
    *AOut << ListedText(ACase.Argument);
}

class QuoteArgument : public testing::TestWithParam<TQuoteCase>
{};

// The quoted text is what the split reads back as the one argument.
TEST_P(QuoteArgument, SplitGivesTheArgumentBack)
{
    const TQuoteCase &c = GetParam();
    const QString argument = QString::fromUtf8(c.Argument);
    const QString quoted = Platform::QuoteArgument(argument);
    EXPECT_EQ(quoted, QString::fromUtf8(c.Quoted));
    EXPECT_EQ(Platform::SplitCommandLine(QStringLiteral("p ") + quoted + QStringLiteral(" next")),
              QStringList({QStringLiteral("p"), argument, QStringLiteral("next")}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QuoteArgument,
    testing::Values(
        // Plain paths only gain the two quotes.
        TQuoteCase{"/tmp/a b.mp3", R"("/tmp/a b.mp3")"}, TQuoteCase{R"(C:\My Music\a.mp3)", R"("C:\My Music\a.mp3")"},
        TQuoteCase{"", R"("")"}, TQuoteCase{"/tmp/it's $HOME Müller.wav", R"("/tmp/it's $HOME Müller.wav")"},
        // Quotes and the backslashes before them are escaped.
        TQuoteCase{R"(/tmp/say "hi".wav)", R"("/tmp/say \"hi\".wav")"}, TQuoteCase{R"(a\"b)", R"("a\\\"b")"},
        TQuoteCase{R"(C:\dir\)", R"("C:\dir\\")"}, TQuoteCase{R"(a\\)", R"("a\\\\")"}),
    [](const testing::TestParamInfo<TQuoteCase> &AInfo) { return "Argument" + std::to_string(AInfo.index); });

} // namespace
