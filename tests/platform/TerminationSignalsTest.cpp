#include "platform/TerminationSignals.h"

#include <QTest>
#include <csignal>
#include <gtest/gtest.h>

namespace {

void (*CurrentHandler(int ASignal))(int)
{
    struct sigaction current = {};
    sigaction(ASignal, nullptr, &current);
    return current.sa_handler;
}

TEST(TerminationSignals, DeliversEachSignalOnTheEventLoopInOrderAndRestoresTheHandlersItReplaced)
{
    // Stand-ins for whatever was there before: ignored, so a lost signal cannot end the test program.
    struct sigaction ignore = {}, oldInt = {}, oldTerm = {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGINT, &ignore, &oldInt);
    sigaction(SIGTERM, &ignore, &oldTerm);
    {
        Platform::TTerminationSignals watcher;
        QList<int> received;
        watcher.OnSignal = [&](int ASignal) { received.append(ASignal); };
        raise(SIGTERM);
        raise(SIGINT);
        EXPECT_TRUE(received.isEmpty()) << "nothing runs inside the signal handler";
        EXPECT_TRUE(QTest::qWaitFor([&] { return received.size() == 2; }, 5000));
        EXPECT_EQ(received, (QList<int>{SIGTERM, SIGINT}));

        raise(SIGINT);
        EXPECT_TRUE(QTest::qWaitFor([&] { return received.size() == 3; }, 5000)) << "a later signal comes too";
    }
    EXPECT_EQ(CurrentHandler(SIGINT), SIG_IGN);
    EXPECT_EQ(CurrentHandler(SIGTERM), SIG_IGN);
    sigaction(SIGINT, &oldInt, nullptr);
    sigaction(SIGTERM, &oldTerm, nullptr);
}

TEST(TerminationSignals, AHangUpIsTakenUnlessItWasIgnoredAtTheStart)
{
    struct sigaction ignore = {}, old = {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGHUP, &ignore, &old);
    {
        // As under nohup: the program is meant to outlive its terminal.
        Platform::TTerminationSignals watcher({SIGINT, SIGTERM, SIGHUP});
        EXPECT_EQ(CurrentHandler(SIGHUP), SIG_IGN);
    }
    {
        struct sigaction stub = {};
        stub.sa_handler = [](int) {};
        sigaction(SIGHUP, &stub, nullptr);
        Platform::TTerminationSignals watcher({SIGINT, SIGTERM, SIGHUP});
        QList<int> received;
        watcher.OnSignal = [&](int ASignal) { received.append(ASignal); };
        raise(SIGHUP);
        EXPECT_TRUE(QTest::qWaitFor([&] { return received == QList<int>{SIGHUP}; }, 5000));
    }
    EXPECT_NE(CurrentHandler(SIGHUP), SIG_IGN);
    EXPECT_NE(CurrentHandler(SIGHUP), SIG_DFL) << "the handler it replaced comes back";
    sigaction(SIGHUP, &old, nullptr);
}

} // namespace
