#include "online/OnlineHelp.h"

#include "support/ScopedEnv.h"

#include <gtest/gtest.h>

#include "support/QtPrinters.h"

TEST(OnlineHelp, PathFromTheProductName)
{
    const TScopedEnv server("TONARA_SERVER", "127.0.0.1:8080");
    const struct
    {
        QString Product;
        QString Address;
    } cases[] = {
        {QStringLiteral("Tonara"), QStringLiteral("http://127.0.0.1:8080/help/tonara/")},
        {QStringLiteral("My Tool"), QStringLiteral("http://127.0.0.1:8080/help/my-tool/")},
        {QStringLiteral(" Two  Blanks "), QStringLiteral("http://127.0.0.1:8080/help/-two--blanks-/")},
        {QString(), QStringLiteral("http://127.0.0.1:8080/help//")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Product.toStdString());
        EXPECT_EQ(OnlineHelpAddress(c.Product), c.Address);
    }
}
