#include "platform/Folder.h"

#include "platform/OSError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>

#include "support/QtPrinters.h"

TEST(Folder, CreatesOneLevelAndFollowsLinks)
{
    QTemporaryDir root;
    const QString company = root.filePath(QStringLiteral("Quillaby"));
    EXPECT_FALSE(Platform::FolderExists(company));
    Platform::CreateFolder(company);
    EXPECT_TRUE(Platform::FolderExists(company));

    ASSERT_TRUE(QFile::link(company, root.filePath(QStringLiteral("link"))));
    EXPECT_TRUE(Platform::FolderExists(root.filePath(QStringLiteral("link"))));
    QFile file(root.filePath(QStringLiteral("file")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    EXPECT_FALSE(Platform::FolderExists(file.fileName()));
}

TEST(Folder, FailureNamesTheCodeAndTheFolder)
{
    QTemporaryDir root;
    const QString nested = root.filePath(QStringLiteral("a/b"));
    try {
        Platform::CreateFolder(nested);
        FAIL() << "a missing parent was created";
    } catch (const EOSError &error) {
        EXPECT_EQ(error.ErrorCode(), ENOENT);
        EXPECT_EQ(error.Message(), QStringLiteral("System Error.  Code: 2.\nNo such file or directory\n") + nested);
    }
    EXPECT_FALSE(QDir(root.filePath(QStringLiteral("a"))).exists());
}
