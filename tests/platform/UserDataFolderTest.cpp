#include "platform/UserDataFolder.h"

#include "support/ScopedEnv.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "support/QtPrinters.h"

namespace {

TEST(UserDataFolder, FollowsTheXdgRules)
{
    QTemporaryDir folder;
    const QByteArray root = folder.path().toUtf8();
    const struct
    {
        const char *Name;
        QByteArray Xdg;
        bool XdgSet;
        QString Expected;
    } cases[] = {
        {"variable", root + "/data", true, folder.path() + "/data"},
        {"trailing slash", root + "/data/", true, folder.path() + "/data"},
        {"relative variable ignored", "relative/data", true, folder.path() + "/.local/share"},
        {"empty variable", "", true, folder.path() + "/.local/share"},
        {"no variable", "", false, folder.path() + "/.local/share"},
    };
    const TScopedEnv home("HOME", root);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        const TScopedEnv xdg("XDG_DATA_HOME", c.Xdg, c.XdgSet);
        EXPECT_EQ(Platform::UserDataFolder(), c.Expected);
    }
}

TEST(UserDataFolder, IsCreatedForTheUserWhenMissing)
{
    QTemporaryDir folder;
    const QString data = folder.path() + QStringLiteral("/fresh/account/data");
    const TScopedEnv xdg("XDG_DATA_HOME", data.toUtf8());

    EXPECT_EQ(Platform::UserDataFolder(), data);
    const QFileInfo info(data);
    EXPECT_TRUE(info.isDir());
    EXPECT_EQ(info.permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther), 0);
}

} // namespace
