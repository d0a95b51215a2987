#include "platform/VersionResource.h"

#include "ElfFixture.h"
#include "platform/OSError.h"

#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/QtPrinters.h"

namespace {

const QByteArray SectionData = QByteArray("block \0 with \xff bytes", 20);

class VersionResource : public ::testing::Test
{
protected:
    QString Path(const char *AName) const { return FFolder.filePath(QString::fromLatin1(AName)); }

    void WriteFile(const QString &APath, const QByteArray &AData) const
    {
        QFile file(APath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(AData);
    }

    // The error code LoadVersionBlock raises for AFileName, or 0 when it succeeds.
    static int ErrorCodeFor(const QString &AFileName)
    {
        try {
            Platform::LoadVersionBlock(AFileName);
        } catch (const EOSError &error) {
            return error.ErrorCode();
        }
        return 0;
    }

    QTemporaryDir FFolder;
};

TEST_F(VersionResource, ReadsTheSectionOfAnExecutableFile)
{
    ElfFixture::CopyWithSection(QStringLiteral("/bin/true"), Path("with-block"), SectionData,
                                QLatin1String(Platform::VersionSectionName));
    EXPECT_EQ(Platform::LoadVersionBlock(Path("with-block")), SectionData);
}

TEST_F(VersionResource, ReadsThirtyTwoBitFiles)
{
    ElfFixture::WriteObjectWithSection(Path("elf32.o"), QStringLiteral("elf32-i386"), SectionData,
                                       QLatin1String(Platform::VersionSectionName));
    EXPECT_EQ(Platform::LoadVersionBlock(Path("elf32.o")), SectionData);
}

TEST_F(VersionResource, ReportsWhyThereIsNoBlock)
{
    ElfFixture::WriteObjectWithSection(Path("big-endian.o"), QStringLiteral("elf64-big"), SectionData,
                                       QLatin1String(Platform::VersionSectionName));
    ElfFixture::CopyWithSection(QStringLiteral("/bin/true"), Path("other-section"), SectionData,
                                QStringLiteral(".versioninfo2"));
    WriteFile(Path("text"), "#!/bin/sh\necho not an executable file\n");
    WriteFile(Path("empty"), QByteArray());
    QFile original(QStringLiteral("/bin/true"));
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    WriteFile(Path("truncated"), original.read(200)); // header intact, section table cut off
    ASSERT_EQ(mkfifo(QFile::encodeName(Path("fifo")).constData(), 0600), 0);

    const struct
    {
        QString File;
        int Code;
    } cases[] = {
        {QStringLiteral("/bin/true"), ENODATA},
        {Path("other-section"), ENODATA},
        {Path("missing"), ENOENT},
        {FFolder.path(), EISDIR},
        {Path("text"), ENOEXEC},
        {Path("empty"), ENOEXEC},
        {Path("truncated"), ENOEXEC},
        {Path("big-endian.o"), ENOEXEC},
        {Path("fifo"), ENOEXEC}, // without a writer: must not block
        {QStringLiteral("/dev/null"), ENOEXEC},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.File.toStdString());
        EXPECT_EQ(ErrorCodeFor(c.File), c.Code);
    }
}

TEST_F(VersionResource, ErrorCarriesTheSystemMessage)
{
    try {
        Platform::LoadVersionBlock(QStringLiteral("/bin/true"));
        FAIL() << "no error raised";
    } catch (const EOSError &error) {
        EXPECT_EQ(error.ErrorCode(), 61);
        EXPECT_EQ(error.Message(), QStringLiteral("System Error.  Code: 61.\nNo data available"));
    }
}

} // namespace
