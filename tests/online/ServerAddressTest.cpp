#include "online/BuildSettings.h"
#include "online/ServerAddress.h"

#include "support/ScopedEnv.h"

#include <gtest/gtest.h>

#include "support/QtPrinters.h"

TEST(ServerAddress, EnvironmentOverridesTheBuildSetting)
{
    const QString built = QStringLiteral(TONARA_SERVER_HOST);
    const struct
    {
        const char *Value;
        bool Set;
        QString Authority;
    } cases[] = {
        {"", false, built},
        {"", true, built},
        {"127.0.0.1", true, QStringLiteral("127.0.0.1")},
        {"127.0.0.1:8080", true, QStringLiteral("127.0.0.1:8080")},
        {" localhost:81 ", true, QStringLiteral("localhost:81")},
        {"[::1]:8443", true, QStringLiteral("[::1]:8443")},
        // Only a host (and port) may come from there; anything else is ignored.
        {"http://127.0.0.1", true, built},
        {"127.0.0.1/php", true, built},
        {"user@127.0.0.1", true, built},
        {"127.0.0.1:port", true, built},
        {"two words", true, built},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Value);
        const TScopedEnv server("TONARA_SERVER", c.Value, c.Set);
        EXPECT_EQ(ServerAuthority(), c.Authority);
    }
}

TEST(ServerAddress, KeepsSchemeAndPath)
{
    const TScopedEnv server("TONARA_SERVER", "127.0.0.1:8080");
    EXPECT_EQ(ServerAddress(QStringLiteral("https"), QStringLiteral("/php/check2.php")),
              QStringLiteral("https://127.0.0.1:8080/php/check2.php"));
}
