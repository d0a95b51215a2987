#include "identity/AppIdentity.h"
#include "platform/FolderLock.h"
#include "support/TestFolder.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

TEST(WorkFile, AnInstanceThatFindsTheDataFolderClaimedUsesAWorkFileOfItsOwn)
{
    TTestFolder folder;
    AppDataFolder = folder.Path() + QLatin1Char('/');
    Platform::TFolderLock firstInstance;
    ASSERT_TRUE(firstInstance.TryLock(folder.Path()));
    ClaimWorkFile();
    EXPECT_EQ(WorkFile(), AppDataFolder + QStringLiteral("output-%1.wav").arg(QCoreApplication::applicationPid()));

    folder.Write(QFileInfo(WorkFile()).fileName(), "result");
    RemoveOwnWorkFile();
    EXPECT_FALSE(QFile::exists(WorkFile()));
    AppDataFolder.clear();
}

} // namespace
