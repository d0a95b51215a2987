#include "platform/CommandLine.h"

#include <gtest/gtest.h>

namespace {

struct TSplitCase
{
    const char *Line;
    QStringList Expected;
};

void PrintTo(const TSplitCase &ACase, std::ostream *AOut)
{
    *AOut << ACase.Line;
}

class SplitCommandLine : public testing::TestWithParam<TSplitCase>
{
};

TEST_P(SplitCommandLine, FollowsTheWindowsRules)
{
    const TSplitCase &c = GetParam();
    EXPECT_EQ(Platform::SplitCommandLine(QString::fromUtf8(c.Line)), c.Expected) << c.Line;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitCommandLine,
    testing::Values(
        TSplitCase{"", {}},
        TSplitCase{"   \t ", {}},
        TSplitCase{"ffmpeg", {"ffmpeg"}},
        TSplitCase{"  ffmpeg   -i  a.mp3\t-y ", {"ffmpeg", "-i", "a.mp3", "-y"}},
        // Double quotes group blanks and disappear.
        TSplitCase{R"(ffmpeg -i "C:\My Music\a b.mp3" out.wav)", {"ffmpeg", "-i", R"(C:\My Music\a b.mp3)", "out.wav"}},
        TSplitCase{R"(p a"b c"d)", {"p", "ab cd"}},
        TSplitCase{R"(p "")", {"p", ""}},
        TSplitCase{R"(p "" x)", {"p", "", "x"}},
        // Single quotes are ordinary characters: filter graphs keep theirs.
        TSplitCase{"ffmpeg -af afftfilt=real='hypot(re,im)*sin(0)':imag='hypot(re,im)*cos(0)' o.wav",
                   {"ffmpeg", "-af", "afftfilt=real='hypot(re,im)*sin(0)':imag='hypot(re,im)*cos(0)'", "o.wav"}},
        TSplitCase{"p 'a b'", {"p", "'a", "b'"}},
        // Backslashes: literal unless they come before a quote.
        TSplitCase{R"(p a\b c\\d)", {"p", R"(a\b)", R"(c\\d)"}},
        TSplitCase{R"(p a\"b)", {"p", R"(a"b)"}},
        TSplitCase{R"(p a\\"b c")", {"p", R"(a\b c)"}},
        TSplitCase{R"(p a\\\"b)", {"p", R"(a\"b)"}},
        TSplitCase{R"(p "C:\dir\\")", {"p", R"(C:\dir\)"}},
        TSplitCase{R"(p "a""b")", {"p", R"(a"b)"}},
        TSplitCase{R"(p "unterminated arg)", {"p", "unterminated arg"}},
        // The program name takes backslashes literally and ends at a blank outside quotes.
        TSplitCase{R"("C:\Program Files\x.exe" -v)", {R"(C:\Program Files\x.exe)", "-v"}},
        TSplitCase{R"(C:\dir\"x y" z)", {R"(C:\dir\x y)", "z"}},
        // Anything else is kept as it is: $, *, ;, non-ASCII letters.
        TSplitCase{"p $HOME *.wav a;b \"Müller Café.mp3\"", {"p", "$HOME", "*.wav", "a;b", "Müller Café.mp3"}}),
    [](const testing::TestParamInfo<TSplitCase> &AInfo) { return "Line" + std::to_string(AInfo.index); });

} // namespace
