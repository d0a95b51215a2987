#include "process/InputLines.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

TEST(InputLines, AddSignalsTheEventOnceForAnyNumberOfLinesBeforeAWait)
{
    TInputLines lines;
    EXPECT_FALSE(lines.Event().IsSet());
    EXPECT_EQ(lines.Add(QStringLiteral("_dir")), 0);
    EXPECT_TRUE(lines.Event().Consume());
    EXPECT_FALSE(lines.Event().Consume());

    EXPECT_EQ(lines.Add(QStringLiteral(" a")), 1);
    EXPECT_EQ(lines.Add(QStringLiteral(" b")), 2);
    EXPECT_TRUE(lines.Event().Consume());
    EXPECT_FALSE(lines.Event().Consume());
}

TEST(InputLines, KeepsTheOrderOfLinesAddedFromSeveralThreads)
{
    TInputLines lines;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&lines, t] {
            for (int i = 0; i < 500; ++i)
                lines.Add(QStringLiteral(" %1:%2").arg(t).arg(i));
        });
    for (std::thread &t : threads)
        t.join();
    ASSERT_EQ(lines.Count(), 2000);
    int next[4] = {};
    while (lines.Count() > 0) {
        const QStringList parts = lines.Strings(0).mid(1).split(QLatin1Char(':'));
        const int t = parts[0].toInt();
        EXPECT_EQ(parts[1].toInt(), next[t]++);
        lines.Delete(0);
    }

    lines.Add(QStringLiteral("_x"));
    lines.set_Strings(0, QStringLiteral(" y"));
    TStrings *list = lines.LockList();
    EXPECT_EQ(list->ToStringList(), QStringList{QStringLiteral(" y")});
    lines.UnlockList();
}

} // namespace
