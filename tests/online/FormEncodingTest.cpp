// The urlencoded body; that the server decodes it intact is checked against a
// real server in FormPostTest.
#include "online/FormEncoding.h"

#include <gtest/gtest.h>

#include "support/CaseName.h"

#include "support/QtPrinters.h"

namespace {

struct TEncodingCase
{
    const char *Name;
    QStringList Fields;
    QByteArray Body;
};

class EncodeFormFieldsCases : public ::testing::TestWithParam<TEncodingCase>
{};

} // namespace

TEST_P(EncodeFormFieldsCases, Body)
{
    EXPECT_EQ(EncodeFormFields(GetParam().Fields), GetParam().Body);
}

INSTANTIATE_TEST_SUITE_P(Cases, EncodeFormFieldsCases,
                         ::testing::Values(TEncodingCase{"InListOrderNoTrailingAmpersand", {"b=2", "a=1"}, "b=2&a=1"},
                                           TEncodingCase{"BlankIsPlus", {"m=a b"}, "m=a+b"},
                                           TEncodingCase{"NameEndsAtFirstEquals", {"q=a=b&c"}, "q=a%3Db%26c"},
                                           TEncodingCase{"Utf8Bytes", {"n=\u00e9\u65e5"}, "n=%C3%A9%E6%97%A5"},
                                           TEncodingCase{"LineBreaks", {"t=a\r\nb\rc"}, "t=a%0D%0Ab%0Dc"},
                                           TEncodingCase{"PlusAndPercent", {"p=1+1%"}, "p=1%2B1%25"},
                                           TEncodingCase{"UnescapedMarks", {"u=-._*~"}, "u=-._*%7E"},
                                           TEncodingCase{"EmptyValueKept", {"e=", "f=1"}, "e=&f=1"},
                                           TEncodingCase{"EmptyNameLeftOut", {"=x", "g=1"}, "g=1"},
                                           TEncodingCase{"NoEqualsLeftOut", {"loose", "g=1"}, "g=1"},
                                           TEncodingCase{"NameEncodedToo", {"a b=c"}, "a+b=c"},
                                           TEncodingCase{"Nothing", {}, ""}),
                         CaseName<TEncodingCase>);
