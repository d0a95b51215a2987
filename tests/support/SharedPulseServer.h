#pragma once

#include "support/PulseServer.h"

#include <gtest/gtest.h>

#include <memory>

// Qt's sound engine stays with the first sound server it met, so the tests of a
// program that plays through Qt in-process share one server, started before the
// first test and stopped after the last. Include this in one file per program.
class TSharedPulseServer : public ::testing::Environment
{
public:
    void SetUp() override
    {
        if (TPulseServer::Installed())
            Server = std::make_unique<TPulseServer>();
    }
    void TearDown() override { Server.reset(); }

    static inline std::unique_ptr<TPulseServer> Server;
};

[[maybe_unused]] inline ::testing::Environment *const SharedPulseServer =
    ::testing::AddGlobalTestEnvironment(new TSharedPulseServer);
