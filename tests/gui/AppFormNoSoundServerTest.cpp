// The main window when the result of a run cannot be played because no sound
// server can be reached. This program holds this one test, so that nothing has
// connected to the test's sound server before the environment is set.

#include "gui/AppForm.h"

#include "gui/UserDialogs.h"
#include "identity/AppIdentity.h"
#include "process/ProcessRunner.h"
#include "support/SoundInputs.h"
#include "support/VersionFixture.h"

#include <QDeadlineTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

TEST(AppFormNoSoundServer, ResultThatCannotBePlayedIsReportedAndPlayComesBack)
{
    QTemporaryDir folder;
    qputenv("PULSE_SERVER", "unix:/nonexistent/tonara-no-sound-server");
    qputenv("XDG_DATA_HOME", folder.filePath(QStringLiteral("data")).toUtf8());
    qputenv("XDG_CONFIG_HOME", folder.filePath(QStringLiteral("config")).toUtf8());
    const QString input = folder.filePath(QStringLiteral("in.wav"));
    ASSERT_TRUE(SoundInputs::Make(input, 0.3));

    QStringList messages;
    TUserDialogs::SetMessageAnswer([&](const QString &AText, const QString &ACaption, int AIcon) {
        messages << AText + u'|' + ACaption + u'|' + QString::number(AIcon);
    });
    TUserDialogs::SetFileAnswer([&](bool, TUserDialogs::TFileRequest &ARequest) {
        ARequest.FileName = input;
        return true;
    });
    TAppForm form(nullptr, VersionFixture::TonaraExecutable());
    form.findChild<QAction *>(QStringLiteral("AddSoundFile1"))->trigger();
    auto *play = form.findChild<QPushButton *>(QStringLiteral("ButtonPlay"));
    auto *list = form.findChild<QTreeWidget *>(QStringLiteral("ListView1"));
    auto *runner = form.findChild<TProcessRunner *>(QStringLiteral("ProcessRunner1"));
    QTest::mouseClick(play, Qt::LeftButton);
    const QDeadlineTimer deadline(60000);
    while ((runner->IsRunning() || messages.isEmpty()) && !deadline.hasExpired())
        QTest::qWait(10);

    EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("Complete"));
    EXPECT_EQ(messages, QStringList{QStringLiteral("The result cannot be played!|Error|16")});
    EXPECT_EQ(play->text(), QStringLiteral("Play"));
    EXPECT_TRUE(form.findChild<QPushButton *>(QStringLiteral("ButtonSave"))->isEnabled());
    TUserDialogs::SetMessageAnswer({});
    TUserDialogs::SetFileAnswer({});
}

} // namespace
