#include "app/FileVersion.h"

#include "VersionFixture.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/QtPrinters.h"

TEST(FileVersion, MostSignificantDoubleWordOfTheFixedVersion)
{
    QTemporaryDir folder;
    TVersionBlockBuilder versioned;
    versioned.SetFixedVersion(2, 10, 7, 9);
    TVersionBlockBuilder withoutFixedInfo;
    withoutFixedInfo.OmitFixedFileInfo();

    const struct
    {
        const char *Name;
        QString File;
        quint32 Version;
    } cases[] = {
        {"tonara", VersionFixture::TonaraExecutable(), 0x00010000},
        {"2.10.7.9", VersionFixture::ExecutableWithBlock(folder.path(), QStringLiteral("versioned"), versioned),
         0x0002000A},
        {"no fixed info",
         VersionFixture::ExecutableWithBlock(folder.path(), QStringLiteral("no-fixed"), withoutFixedInfo), 0xFFFFFFFF},
        {"no block", QStringLiteral("/bin/true"), 0xFFFFFFFF},
        {"no file", folder.filePath(QStringLiteral("missing")), 0xFFFFFFFF},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(GetFileVersion(c.File), c.Version);
    }
}

TEST(FileVersion, FormatsMajorDotMinor)
{
    EXPECT_EQ(FormatAppVersion(0x00010000), QStringLiteral("1.0"));
    EXPECT_EQ(FormatAppVersion(0x0002000A), QStringLiteral("2.10"));
    EXPECT_EQ(FormatAppVersion(0xFFFFFFFF), QStringLiteral("65535.65535"));
}
