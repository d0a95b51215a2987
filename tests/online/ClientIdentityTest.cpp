// The identity fields: the formatting rules on given inputs, and what this
// machine gives for each.
#include "identity/AppIdentity.h"
#include "online/ClientIdentity.h"
#include "online/OSDescription.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include "support/QtPrinters.h"

TEST(OSDescription, Format)
{
    EXPECT_EQ(FormatOSDescription(QStringLiteral("Debian GNU/Linux 12 (bookworm)"), {6, 1, 0}, true),
              QStringLiteral("Debian GNU/Linux 12 (bookworm) (Version 6.1, Build 0, 64-bit Edition)"));
    EXPECT_EQ(FormatOSDescription(QString(), {5, 10, 209}, false),
              QStringLiteral("Linux (Version 5.10, Build 209, 32-bit Edition)"));
    EXPECT_EQ(FormatOSDescription(QStringLiteral("100% %1 OS"), {1, 2, 3}, true),
              QStringLiteral("100% %1 OS (Version 1.2, Build 3, 64-bit Edition)"));
}

TEST(OSDescription, PrettyNameOfOsRelease)
{
    const struct
    {
        QString Text;
        QString Name;
    } cases[] = {
        {QStringLiteral("NAME=\"Debian\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nID=debian\n"),
         QStringLiteral("Debian GNU/Linux 12 (bookworm)")},
        {QStringLiteral("PRETTY_NAME='Single quoted'"), QStringLiteral("Single quoted")},
        {QStringLiteral("PRETTY_NAME=Bare"), QStringLiteral("Bare")},
        {QStringLiteral("PRETTY_NAME=\"Say \\\"hi\\\" \\$5\""), QStringLiteral("Say \"hi\" $5")},
        {QStringLiteral("NAME=Debian\n#PRETTY_NAME=commented\n"), QString()},
        {QStringLiteral("XPRETTY_NAME=x\r\n"), QString()},
        {QString(), QString()},
    };
    for (const auto &c : cases)
        EXPECT_EQ(PrettyNameOf(c.Text), c.Name) << qPrintable(c.Text);
}

TEST(OSDescription, KernelVersionAndWordSize)
{
    const struct
    {
        QString Release;
        int Major, Minor, Patch;
    } cases[] = {{QStringLiteral("6.1.0-18-amd64"), 6, 1, 0},
                 {QStringLiteral("6.18.44-fc-v1523"), 6, 18, 44},
                 {QStringLiteral("5.15.133.1-microsoft"), 5, 15, 133},
                 {QStringLiteral("4.19"), 4, 19, 0},
                 {QStringLiteral("3"), 3, 0, 0},
                 {QStringLiteral("weird"), 0, 0, 0}};
    for (const auto &c : cases) {
        const TKernelVersion version = KernelVersionOf(c.Release);
        EXPECT_EQ(version.Major, c.Major) << qPrintable(c.Release);
        EXPECT_EQ(version.Minor, c.Minor) << qPrintable(c.Release);
        EXPECT_EQ(version.Patch, c.Patch) << qPrintable(c.Release);
    }
    for (const char *machine : {"x86_64", "aarch64", "ppc64le", "riscv64", "s390x"})
        EXPECT_TRUE(Is64BitMachine(QString::fromLatin1(machine))) << machine;
    for (const char *machine : {"i686", "armv7l", "s390", ""})
        EXPECT_FALSE(Is64BitMachine(QString::fromLatin1(machine))) << machine;
}

TEST(OSDescription, ThisMachine)
{
    struct utsname name = {};
    ASSERT_EQ(uname(&name), 0);
    const TKernelVersion version = KernelVersionOf(QString::fromLatin1(name.release));
    const QString expectedTail = QStringLiteral(" (Version %1.%2, Build %3, %4-bit Edition)")
                                     .arg(version.Major)
                                     .arg(version.Minor)
                                     .arg(version.Patch)
                                     .arg(sizeof(void *) == 8 ? 64 : 32);
    const QString description = OSDescription();
    EXPECT_TRUE(description.endsWith(expectedTail)) << qPrintable(description);
    if (QFile::exists(QStringLiteral("/etc/os-release"))) {
        EXPECT_FALSE(description.startsWith(QStringLiteral("Linux ("))) << qPrintable(description);
    }
}

TEST(LocaleTag, LanguageAndTerritory)
{
    const struct
    {
        const char *Locale;
        QString Tag;
    } cases[] = {{"de_DE.UTF-8", QStringLiteral("de-DE")},
                 {"en_US", QStringLiteral("en-US")},
                 {"pt_BR.UTF-8@euro", QStringLiteral("pt-BR")},
                 {"de", QStringLiteral("de-DE")},
                 {"C", QStringLiteral("en-US")},
                 {"POSIX", QStringLiteral("en-US")},
                 {"C.UTF-8", QStringLiteral("en-US")}};
    for (const auto &c : cases)
        EXPECT_EQ(LocaleTagOf(QLocale(QString::fromLatin1(c.Locale))), c.Tag) << c.Locale;
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[a-z]{2,3}-[A-Z]{2}$")).match(LocaleTag()).hasMatch())
        << qPrintable(LocaleTag());
}

TEST(ClientIdentity, UserName)
{
    const passwd *entry = getpwuid(getuid());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(ReadUserName(), QString::fromLocal8Bit(entry->pw_name));
    // A user id that no account has: the name cannot be read.
    EXPECT_EQ(UserNameOf(4000000000U), QStringLiteral("Unknown"));
}

TEST(ClientIdentity, ComputerNameCutTo15Characters)
{
    char host[256] = {};
    ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
    EXPECT_EQ(ReadComputerName(), QString::fromLocal8Bit(host).left(15));
    EXPECT_LE(ReadComputerName().size(), 15);
}

TEST(ClientIdentity, SevenFieldsInOrder)
{
    AppTitle = QStringLiteral("Quillaby - Tonara");
    AppVersion = QStringLiteral("1.0");
    const QStringList fields = ClientIdentityFields();
    const QStringList expected = {
        QStringLiteral("appname=Quillaby - Tonara"),
        QStringLiteral("version=1.0"),
        QStringLiteral("computername=") + ReadComputerName(),
        QStringLiteral("username=") + ReadUserName(),
        QStringLiteral("os=") + OSDescription(),
        QStringLiteral("local=") + LocaleTag(),
        QStringLiteral("guid=") + ReadMachineGuid(),
    };
    EXPECT_EQ(fields, expected);
    QFile machineId(QStringLiteral("/etc/machine-id"));
    if (machineId.open(QIODevice::ReadOnly)) {
        EXPECT_EQ(ReadMachineGuid(), QString::fromLatin1(machineId.readAll().trimmed()));
    }
    // Recorded in the test log: what this machine sends.
    for (const QString &field : fields)
        std::printf("  %s\n", qPrintable(field));
}
