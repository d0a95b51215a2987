#include "online/EmailAddress.h"

#include <gtest/gtest.h>

#include "support/CaseName.h"

#include "support/QtPrinters.h"

namespace {

struct TEmailCase
{
    const char *Name;
    QString Address;
    bool Valid;
};

class IsValidEmailCases : public ::testing::TestWithParam<TEmailCase>
{};

} // namespace

TEST_P(IsValidEmailCases, Matches)
{
    EXPECT_EQ(IsValidEmail(GetParam().Address), GetParam().Valid) << qPrintable(GetParam().Address);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IsValidEmailCases,
    ::testing::Values(TEmailCase{"Plain", QStringLiteral("ann@example.com"), true},
                      TEmailCase{"LocalPartMarks", QStringLiteral("a.b+c_d-e@ex-ample.org"), true},
                      TEmailCase{"SingleLetterLastPart", QStringLiteral("ann@example.c"), true},
                      TEmailCase{"SubDomains", QStringLiteral("ann@mail.example.co.uk"), true},
                      TEmailCase{"HyphenAndPointInLastPart", QStringLiteral("ann@ex.a-b.c"), true},
                      TEmailCase{"NoPointAfterAt", QStringLiteral("ann@localhost"), false},
                      TEmailCase{"EndsInPoint", QStringLiteral("ann@example.com."), false},
                      TEmailCase{"EndsInHyphen", QStringLiteral("ann@example.com-"), false},
                      TEmailCase{"NonAsciiLetter", QStringLiteral("j\u00fcrgen@example.com"), false},
                      TEmailCase{"NonAsciiDomain", QStringLiteral("ann@b\u00fccher.de"), false},
                      TEmailCase{"Blank", QStringLiteral("ann lee@example.com"), false},
                      TEmailCase{"SurroundingBlanksNotTrimmedHere", QStringLiteral(" ann@example.com"), false},
                      TEmailCase{"NoAt", QStringLiteral("example.com"), false},
                      TEmailCase{"TwoAts", QStringLiteral("a@b@example.com"), false},
                      TEmailCase{"UpperCase", QStringLiteral("ANN@EXAMPLE.COM"), true},
                      TEmailCase{"Empty", QString(), false}),
    CaseName<TEmailCase>);
