#include "identity/VersionBlock.h"

#include "identity/VersionBlockBuilder.h"

#include <QtEndian>
#include <gtest/gtest.h>

#include "support/QtPrinters.h"

namespace {

QByteArray SampleBlock()
{
    TVersionBlockBuilder builder;
    builder.SetFixedVersion(2, 5, 7, 9);
    builder.AddStringTable(QStringLiteral("040904B0"), {{QStringLiteral("CompanyName"), QStringLiteral("Quillaby")},
                                                        {QStringLiteral("OriginalFilename"), QStringLiteral("tonara")},
                                                        {QStringLiteral("Comments"), QString()}});
    builder.AddTranslation(0x0409, 1200);
    return builder.Build();
}

TEST(VersionBlock, LayoutOfTheBuiltBlock)
{
    const QByteArray block = SampleBlock();
    EXPECT_EQ(qFromLittleEndian<quint16>(block.constData()), block.size()); // wLength covers the block
    EXPECT_EQ(qFromLittleEndian<quint16>(block.constData() + 2), 52);       // VS_FIXEDFILEINFO
    EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t *>(block.constData() + 6), 15),
              QStringLiteral("VS_VERSION_INFO"));
    // Key (15 characters and a zero) ends at byte 38, the fixed info starts on the next 4-byte boundary.
    EXPECT_EQ(qFromLittleEndian<quint32>(block.constData() + 40), 0xFEEF04BDu);
    EXPECT_EQ(qFromLittleEndian<quint32>(block.constData() + 48), 0x00020005u);
    EXPECT_EQ(qFromLittleEndian<quint32>(block.constData() + 52), 0x00070009u);
}

TEST(VersionBlock, QueriesLikeTheWindowsReader)
{
    const TVersionBlock block(SampleBlock());
    ASSERT_TRUE(block.IsValid());

    QString text;
    EXPECT_TRUE(block.QueryString(QStringLiteral("\\StringFileInfo\\040904B0\\CompanyName"), text));
    EXPECT_EQ(text, QStringLiteral("Quillaby"));
    // Keys compare without regard to case, and empty path parts are skipped.
    EXPECT_TRUE(block.QueryString(QStringLiteral("\\stringfileinfo\\040904b0\\OriginalFileName\\"), text));
    EXPECT_EQ(text, QStringLiteral("tonara"));
    EXPECT_TRUE(block.QueryString(QStringLiteral("\\StringFileInfo\\040904B0\\Comments"), text));
    EXPECT_EQ(text, QString());

    text = QStringLiteral("unchanged");
    EXPECT_FALSE(block.QueryString(QStringLiteral("\\StringFileInfo\\040904B0\\ProductName"), text));
    EXPECT_FALSE(block.QueryString(QStringLiteral("\\StringFileInfo\\040904E4\\CompanyName"), text));
    EXPECT_EQ(text, QStringLiteral("unchanged"));

    quint16 language = 0;
    quint16 codePage = 0;
    EXPECT_TRUE(block.QueryFirstTranslation(language, codePage));
    EXPECT_EQ(language, 0x0409);
    EXPECT_EQ(codePage, 1200);
    quint32 versionMS = 0;
    EXPECT_TRUE(block.QueryFileVersionMS(versionMS));
    EXPECT_EQ(versionMS, 0x00020005u);
}

TEST(VersionBlock, FirstOfSeveralTranslations)
{
    TVersionBlockBuilder builder;
    builder.AddTranslation(0x0407, 1252);
    builder.AddTranslation(0x0409, 1200);
    quint16 language = 0;
    quint16 codePage = 0;
    EXPECT_TRUE(TVersionBlock(builder.Build()).QueryFirstTranslation(language, codePage));
    EXPECT_EQ(language, 0x0407);
    EXPECT_EQ(codePage, 1252);
}

TEST(VersionBlock, MissingParts)
{
    TVersionBlockBuilder builder;
    builder.OmitFixedFileInfo();
    const TVersionBlock block(builder.Build());
    ASSERT_TRUE(block.IsValid());
    quint32 versionMS = 0x1234;
    EXPECT_FALSE(block.QueryFileVersionMS(versionMS));
    EXPECT_EQ(versionMS, 0x1234u);
    quint16 language = 0;
    quint16 codePage = 0;
    EXPECT_FALSE(block.QueryFirstTranslation(language, codePage));
    QByteArrayView value;
    EXPECT_FALSE(block.QueryValue(QStringLiteral("\\StringFileInfo"), value));
}

TEST(VersionBlock, TranslationKeyIsEightUpperCaseHexDigits)
{
    EXPECT_EQ(TVersionBlock::TranslationKey(0x0409, 1252), QStringLiteral("040904E4"));
    EXPECT_EQ(TVersionBlock::TranslationKey(0x0C0A, 0x04B0), QStringLiteral("0C0A04B0"));
    EXPECT_EQ(TVersionBlock::TranslationKey(0, 0xFFFF), QStringLiteral("0000FFFF"));
}

// Every query below must stay inside the data, however the block is damaged.
void QueryEverything(const QByteArray &AData)
{
    const TVersionBlock block(AData);
    QString text;
    quint16 language = 0;
    quint16 codePage = 0;
    quint32 versionMS = 0;
    block.IsValid();
    block.QueryString(QStringLiteral("\\StringFileInfo\\040904B0\\CompanyName"), text);
    block.QueryString(QStringLiteral("\\StringFileInfo\\040904B0\\Comments"), text);
    block.QueryFirstTranslation(language, codePage);
    block.QueryFileVersionMS(versionMS);
}

TEST(VersionBlock, DamagedBlocksAreRejectedSafely)
{
    const QByteArray good = SampleBlock();
    for (qsizetype size = 0; size < good.size(); ++size) {
        SCOPED_TRACE(size);
        // Detached copies, so a read past the end would leave the allocation.
        const QByteArray cut(good.constData(), size);
        EXPECT_FALSE(TVersionBlock(cut).IsValid());
        QueryEverything(cut);
    }
    for (qsizetype at = 0; at < good.size(); ++at) {
        for (const char byte : {'\0', '\x01', '\x7f', '\xff'}) {
            QByteArray damaged = good;
            damaged[at] = byte;
            QueryEverything(damaged);
        }
    }
    QByteArray wrongKey = good;
    wrongKey[6] = 'v';
    EXPECT_FALSE(TVersionBlock(wrongKey).IsValid());
}

} // namespace
