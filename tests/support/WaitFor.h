#pragma once

#include <QTest>

#include <functional>

// Runs the event loop until ACondition holds or AMs have passed; false on time-out.
inline bool WaitUntil(const std::function<bool()> &ACondition, int AMs = 5000)
{
    return QTest::qWaitFor(ACondition, AMs);
}
