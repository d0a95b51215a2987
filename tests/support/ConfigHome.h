#pragma once

#include <QTemporaryDir>
#include <QtGlobal>
#include <gtest/gtest.h>

// The settings of a test program go to a folder of its own, set before anything
// opens them: register it with ::testing::AddGlobalTestEnvironment(new TConfigHome).
class TConfigHome : public ::testing::Environment
{
public:
    void SetUp() override { qputenv("XDG_CONFIG_HOME", FFolder.path().toUtf8()); }

private:
    QTemporaryDir FFolder;
};
