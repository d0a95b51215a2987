#include "platform/OSError.h"
#include "platform/RestartScript.h"
#include "support/CaseName.h"
#include "support/TestFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

#include "support/QtPrinters.h"

namespace {

struct TPathCase
{
    const char *Name;
    const char *Folder; // UTF-8, below a fresh test folder
};

class RestartScriptPaths : public testing::TestWithParam<TPathCase>
{};

} // namespace

TEST_P(RestartScriptPaths, TheScriptStartsTheProgramAtThatPath)
{
    const TTestFolder folder;
    const QString programFolder = folder.FilePath(QString::fromUtf8(GetParam().Folder));
    ASSERT_TRUE(QDir().mkpath(programFolder));
    // The stand-in notes the folder it was started in and its arguments.
    const QString program = programFolder + QStringLiteral("/tonara");
    QFile standIn(program);
    ASSERT_TRUE(standIn.open(QIODevice::WriteOnly));
    standIn.write("#!/bin/sh\necho \"$PWD $#\" > \"$(dirname \"$0\")/started\"\n");
    standIn.close();
    standIn.setPermissions(standIn.permissions() | QFileDevice::ExeOwner);
    const QString workFolder = folder.MakeFolder(QStringLiteral("work"));
    const QString script = workFolder + QStringLiteral("/start.sh");

    Platform::WriteRestartScript(script, program);
    QProcess shell;
    shell.setWorkingDirectory(workFolder);
    shell.start(QStringLiteral("/bin/sh"), {script});
    ASSERT_TRUE(shell.waitForFinished(-1));
    EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();

    QFile started(programFolder + QStringLiteral("/started"));
    ASSERT_TRUE(started.open(QIODevice::ReadOnly)) << "the program did not run";
    EXPECT_EQ(QString::fromUtf8(started.readAll()), workFolder + QStringLiteral(" 0\n"));
}

INSTANTIATE_TEST_SUITE_P(Folders, RestartScriptPaths,
                         testing::Values(TPathCase{"Blanks", "my  programs/to nara"},
                                         TPathCase{"Dollar", "$HOME/$(false)/`false`"},
                                         TPathCase{"Quotes", "it's \"here\""},
                                         TPathCase{"Backslashes", "back\\slash\\\\n"},
                                         TPathCase{"NonAscii", "Programme/Tonará ünd ñ"}),
                         CaseName<TPathCase>);

TEST(RestartScript, ThreeLinesEndedByLineFeeds)
{
    EXPECT_EQ(Platform::RestartScriptText(QStringLiteral("/opt/my apps/it's $x\\y")),
              QByteArray("#!/bin/sh\nsleep 1\n'/opt/my apps/it'\\''s $x\\y'\n"));
}

TEST(RestartScript, AnUnwritableScriptIsReportedWithItsPath)
{
    const TTestFolder folder;
    const QString script = folder.MakeFolder(QStringLiteral("start.sh"));
    try {
        Platform::WriteRestartScript(script, QStringLiteral("/usr/bin/tonara"));
        FAIL() << "no error";
    } catch (const EOSError &error) {
        EXPECT_EQ(error.ErrorCode(), EISDIR);
        EXPECT_TRUE(error.Message().endsWith(script)) << error.what();
    }
}

TEST(RestartScript, ALinkPlantedAtTheScriptIsReplacedNotWrittenThrough)
{
    const TTestFolder folder;
    const QString outside = folder.Write(QStringLiteral("outside.txt"), "keep me\n");
    const QString workFolder = folder.MakeFolder(QStringLiteral("work"));
    const QString script = workFolder + QStringLiteral("/start.sh");
    ASSERT_TRUE(QFile::link(outside, script));

    Platform::WriteRestartScript(script, QStringLiteral("/usr/bin/tonara"));

    QFile victim(outside);
    ASSERT_TRUE(victim.open(QIODevice::ReadOnly));
    EXPECT_EQ(victim.readAll(), QByteArray("keep me\n"));
    EXPECT_FALSE(QFileInfo(script).isSymLink());
    QFile written(script);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), Platform::RestartScriptText(QStringLiteral("/usr/bin/tonara")));
    // Nothing but the script is left in the folder.
    EXPECT_EQ(QDir(workFolder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("start.sh")});
}
