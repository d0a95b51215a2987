#pragma once

#include <QTemporaryDir>
#include <QtGlobal>
#include <gtest/gtest.h>

// A settings folder of the test program's own. Qt reads its location once, on
// first use, so a suite sets it before that and keeps it to the end.
class TTestConfigFolder
{
public:
    static void Create()
    {
        FFolder = new QTemporaryDir;
        qputenv("XDG_CONFIG_HOME", FFolder->path().toUtf8());
    }

    static void Remove()
    {
        delete FFolder;
        FFolder = nullptr;
    }

    static QString FilePath(const QString &AName) { return FFolder->filePath(AName); }

private:
    static inline QTemporaryDir *FFolder = nullptr;
};

// The same folder for a whole test program, set before any test opens the
// settings: ::testing::AddGlobalTestEnvironment(new TTestConfigEnvironment).
class TTestConfigEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { TTestConfigFolder::Create(); }
    void TearDown() override { TTestConfigFolder::Remove(); }
};
