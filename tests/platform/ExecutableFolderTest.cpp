#include "platform/ExecutableFolder.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <gtest/gtest.h>

TEST(ExecutableFolder, NamesTheRunningTestProgram)
{
    const QString path = Platform::ExecutablePath();
    EXPECT_TRUE(QFileInfo(path).isExecutable()) << path.toStdString();
    EXPECT_EQ(QFileInfo(path).fileName(), QStringLiteral("test_platform"));
    EXPECT_EQ(Platform::ExecutableFolder(), QFileInfo(path).absolutePath() + QLatin1Char('/'));
    EXPECT_EQ(Platform::ExecutableFolder(), QCoreApplication::applicationDirPath() + QLatin1Char('/'));
}
