#pragma once

#include "support/PulseServer.h"

#include <gtest/gtest.h>

// A test with a private sound server of its own, skipped where pulseaudio is
// not installed.
class TPulseServerFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!TPulseServer::Installed())
            GTEST_SKIP() << "pulseaudio is not installed";
        ASSERT_TRUE(FServer.IsRunning()) << FServer.Error().toStdString();
    }

    TPulseServer FServer;
};
