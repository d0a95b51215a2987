#include "platform/FileName.h"

#include "support/CaseName.h"

#include <QFile>
#include <gtest/gtest.h>

#include "support/QtPrinters.h"

namespace {

struct TNameCase
{
    const char *Name;
    QByteArray Bytes;
    bool Utf8; // valid UTF-8: decoded as Qt decodes it
};

class FileNameBytes : public testing::TestWithParam<TNameCase>
{};

TEST_P(FileNameBytes, SurviveTheWayThroughAString)
{
    const TNameCase &c = GetParam();
    const QString name = Platform::DecodeFileName(c.Bytes);
    EXPECT_EQ(Platform::EncodeFileName(name), c.Bytes);
    EXPECT_EQ(name == QFile::decodeName(c.Bytes), c.Utf8);
    EXPECT_FALSE(name.contains(QChar::ReplacementCharacter));
}

INSTANTIATE_TEST_SUITE_P(
    Names, FileNameBytes,
    testing::Values(TNameCase{"Ascii", "/tmp/a b.wav", true},
                    TNameCase{"Accents", "/tmp/Tonar\xc3\xa1 \xc3\xbcnd.wav", true},
                    TNameCase{"FourByteLetter", "\xf0\x9f\x8e\xb5 \xf0\x90\x82\x80.mp3", true},
                    TNameCase{"Latin1", "/tmp/\xff\xfe.wav", false},
                    TNameCase{"StrayContinuation", "a\x80\xbf z", false},
                    TNameCase{"CutSequence", "caf\xc3", false},
                    TNameCase{"Overlong", "\xc0\xaf\xe0\x80\xaf", false},
                    TNameCase{"EncodedSurrogate", "\xed\xb2\x80\xed\xa0\x80", false},
                    TNameCase{"AboveUnicode", "\xf4\x90\x80\x80", false},
                    TNameCase{"MixedWithUtf8", "\xc3\xa9\xe9\xf0\x9f\x8e\xb5\xff", false}),
    CaseName<TNameCase>);

} // namespace
