#include "platform/TickCount.h"

#include <QTest>
#include <ctime>
#include <gtest/gtest.h>

TEST(TickCount, CountsMillisecondsOfTheMonotonicClock)
{
    const quint32 before = Platform::TickCount();
    QTest::qSleep(40);
    const quint32 elapsed = Platform::TickCount() - before;
    // Seconds would give 0, microseconds tens of thousands.
    EXPECT_GE(elapsed, 40u);
    EXPECT_LT(elapsed, 5000u);

    timespec now{};
    ASSERT_EQ(clock_gettime(CLOCK_MONOTONIC, &now), 0);
    const auto monotonicMs = static_cast<quint32>(quint64(now.tv_sec) * 1000 + quint64(now.tv_nsec) / 1000000);
    EXPECT_LT(Platform::TickCount() - monotonicMs, 1000u) << "not the monotonic clock cut to 32 bits";
}
