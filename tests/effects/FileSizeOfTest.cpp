#include "effects/FileSizeOf.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(FileSizeOf, SizeOfFilesFoldersAndNothing)
{
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("a b.wav"));
    const QString empty = folder.filePath(QStringLiteral("empty.wav"));
    const QString link = folder.filePath(QStringLiteral("link.wav"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(1234, 'x'));
        QFile e(empty);
        ASSERT_TRUE(e.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QFile::link(file, link));
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("sub")));

    EXPECT_EQ(FileSizeOf(file), 1234);
    EXPECT_EQ(FileSizeOf(link), 1234);
    EXPECT_EQ(FileSizeOf(empty), 0);
    EXPECT_EQ(FileSizeOf(folder.filePath(QStringLiteral("sub"))), 0);
    EXPECT_EQ(FileSizeOf(folder.filePath(QStringLiteral("missing.wav"))), -1);

    EXPECT_TRUE(FileExists(file));
    EXPECT_TRUE(FileExists(link));
    EXPECT_TRUE(FileExists(empty));
    EXPECT_FALSE(FileExists(folder.filePath(QStringLiteral("sub"))));
    EXPECT_FALSE(FileExists(folder.filePath(QStringLiteral("missing.wav"))));
}

} // namespace
