#include "platform/ExecutableFolder.h"
#include "platform/ProgramSearch.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void WriteExecutable(const QString &APath)
{
    QFile file(APath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n");
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Runs each test with PATH set to one temporary folder.
class ProgramSearch : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FPathDir.isValid());
        FOldPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(FPathDir.path()));
    }
    void TearDown() override
    {
        qputenv("PATH", FOldPath);
        QFile::remove(FBesideExe);
    }

    QTemporaryDir FPathDir;
    QByteArray FOldPath;
    QString FBesideExe;
};

TEST_F(ProgramSearch, LooksBesideTheExecutableFirstThenInPath)
{
    const QString name = QStringLiteral("tonara-search-probe");
    const QString inPath = FPathDir.filePath(name);
    WriteExecutable(inPath);
    EXPECT_EQ(Platform::FindProgram(name), inPath);

    FBesideExe = Platform::ExecutableFolder() + name;
    WriteExecutable(FBesideExe);
    EXPECT_EQ(Platform::FindProgram(name), FBesideExe);
}

TEST_F(ProgramSearch, SkipsFilesThatAreNotExecutable)
{
    const QString name = QStringLiteral("tonara-plain-file");
    QFile plain(FPathDir.filePath(name));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_EQ(Platform::FindProgram(name), QString());
    EXPECT_EQ(Platform::FindProgram(QStringLiteral("no-such-program-anywhere")), QString());
    EXPECT_EQ(Platform::FindProgram(QString()), QString());
}

TEST_F(ProgramSearch, TakesANameWithASlashAsAPath)
{
    WriteExecutable(FPathDir.filePath(QStringLiteral("tool")));
    const QString old = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(FPathDir.path()));
    EXPECT_EQ(Platform::FindProgram(QStringLiteral("./tool")), FPathDir.filePath(QStringLiteral("tool")));
    EXPECT_EQ(Platform::FindProgram(FPathDir.filePath(QStringLiteral("tool"))),
              FPathDir.filePath(QStringLiteral("tool")));
    EXPECT_EQ(Platform::FindProgram(QStringLiteral("./missing")), QString());
    QDir::setCurrent(old);
}

} // namespace
