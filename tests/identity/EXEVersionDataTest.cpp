#include "identity/EXEVersionData.h"

#include "platform/OSError.h"
#include "platform/VersionResource.h"
#include "support/ElfFixture.h"
#include "support/VersionFixture.h"

#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>

#include "support/QtPrinters.h"

void PrintTo(const TEXEVersionData &AData, std::ostream *AStream)
{
    for (const QString *field :
         {&AData.CompanyName, &AData.FileDescription, &AData.FileVersion, &AData.InternalName, &AData.LegalCopyright,
          &AData.LegalTrademarks, &AData.OriginalFileName, &AData.ProductName, &AData.ProductVersion, &AData.Comments,
          &AData.PrivateBuild, &AData.SpecialBuild})
        *AStream << '"' << field->toStdString() << "\" ";
}

namespace {

class ReadVersionDataTest : public ::testing::Test
{
protected:
    QString Executable(const char *AName, const TVersionBlockBuilder &ABuilder)
    {
        return VersionFixture::ExecutableWithBlock(FFolder.path(), QString::fromLatin1(AName), ABuilder);
    }

    // The code of the EOSError raised for AFileName (0: none); ARecord must stay as it was.
    static int ErrorCodeFor(const QString &AFileName)
    {
        TEXEVersionData record;
        record.CompanyName = QStringLiteral("before");
        try {
            ReadVersionData(AFileName, record);
        } catch (const EOSError &error) {
            EXPECT_EQ(record.CompanyName, QStringLiteral("before"));
            EXPECT_TRUE(record.ProductName.isEmpty());
            return error.ErrorCode();
        }
        return 0;
    }

    QTemporaryDir FFolder;
};

TEST_F(ReadVersionDataTest, TheBuiltExecutableCarriesTheProjectIdentity)
{
    TEXEVersionData data;
    ReadVersionData(VersionFixture::TonaraExecutable(), data);
    const TEXEVersionData expected{
        .CompanyName = QStringLiteral("Quillaby"),
        .FileDescription = QStringLiteral("Tonara voice effects"),
        .FileVersion = QStringLiteral("1.0.0.0"),
        .InternalName = QStringLiteral("tonara"),
        .LegalCopyright = QStringLiteral("Copyright (C) Quillaby"),
        .LegalTrademarks = QStringLiteral("Tonara is a trademark of Quillaby"),
        .OriginalFileName = QStringLiteral("tonara"),
        .ProductName = QStringLiteral("Tonara"),
        .ProductVersion = QStringLiteral("1.0.0.0"),
        .Comments = QStringLiteral("Applies voice effects to MP3 and WAV files with ffmpeg"),
        .PrivateBuild = QStringLiteral("Quillaby release build"),
        .SpecialBuild = QStringLiteral("Linux x86_64"),
    };
    EXPECT_EQ(data, expected);
}

TEST_F(ReadVersionDataTest, UsesTheTableOfTheFirstTranslationOnly)
{
    TVersionBlockBuilder builder;
    builder.AddStringTable(QStringLiteral("040904B0"), {{QStringLiteral("CompanyName"), QStringLiteral("English")},
                                                        {QStringLiteral("Comments"), QStringLiteral("only here")}});
    builder.AddStringTable(QStringLiteral("040704E4"), {{QStringLiteral("CompanyName"), QStringLiteral("Deutsch")},
                                                        {QStringLiteral("ProductName"), QStringLiteral("Tonara")}});
    builder.AddTranslation(0x0407, 1252);
    builder.AddTranslation(0x0409, 1200);

    TEXEVersionData data;
    ReadVersionData(Executable("two-translations", builder), data);
    EXPECT_EQ(data.CompanyName, QStringLiteral("Deutsch"));
    EXPECT_EQ(data.ProductName, QStringLiteral("Tonara"));
    EXPECT_EQ(data.Comments, QString());
}

TEST_F(ReadVersionDataTest, MissingValuesLeaveTheirFieldsAlone)
{
    TVersionBlockBuilder builder;
    builder.AddStringTable(QStringLiteral("040904B0"), {{QStringLiteral("CompanyName"), QStringLiteral("Quillaby")}});
    builder.AddTranslation(0x0409, 1200);

    TEXEVersionData data;
    ReadVersionData(Executable("company-only", builder), data);
    TEXEVersionData companyOnly;
    companyOnly.CompanyName = QStringLiteral("Quillaby");
    EXPECT_EQ(data, companyOnly);

    data.ProductName = QStringLiteral("kept");
    ReadVersionData(Executable("company-only", builder), data);
    EXPECT_EQ(data.ProductName, QStringLiteral("kept"));
}

TEST_F(ReadVersionDataTest, FailuresRaiseSystemErrorsAndKeepTheRecord)
{
    TVersionBlockBuilder noTranslation;
    noTranslation.AddStringTable(QStringLiteral("040904B0"),
                                 {{QStringLiteral("CompanyName"), QStringLiteral("Quillaby")}});
    TVersionBlockBuilder emptyTranslation;
    emptyTranslation.AddTranslation(0, 0);
    // A block whose root is not a version block at all.
    QByteArray wrongRoot = TVersionBlockBuilder().Build();
    wrongRoot[6] = 'X';

    const QString unreadable = FFolder.filePath(QStringLiteral("unreadable"));
    ElfFixture::CopyWithSection(QStringLiteral("/bin/true"), unreadable, wrongRoot,
                                QLatin1String(Platform::VersionSectionName));

    const struct
    {
        QString File;
        int Code;
    } cases[] = {
        {QStringLiteral("/bin/true"), ENODATA},
        {FFolder.filePath(QStringLiteral("missing")), ENOENT},
        {Executable("no-translation", noTranslation), ENODATA},
        {unreadable, EBADMSG},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.File.toStdString());
        EXPECT_EQ(ErrorCodeFor(c.File), c.Code);
    }
    // A translation list with a pair selects that pair's (missing) table: no error.
    EXPECT_EQ(ErrorCodeFor(Executable("empty-table", emptyTranslation)), 0);
}

} // namespace
