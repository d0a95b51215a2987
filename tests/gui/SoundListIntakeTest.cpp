// Sound files reaching the main window's list from outside the open dialog:
// dropped from a file manager, and named at start-up.

#include "gui/AppForm.h"

#include "gui/UserDialogs.h"
#include "platform/FileName.h"
#include "support/CaseName.h"
#include "support/ScopedEnv.h"
#include "support/TestFolder.h"
#include "support/VersionFixture.h"
#include "support/WaitFor.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTreeWidget>
#include <QUrl>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "support/QtPrinters.h"

namespace {

// Names a file manager hands over without complaint.
const QString Odd = QStringLiteral("it's \"$5\" – Grüße");

class TListFixture
{
public:
    TListFixture()
    {
        TUserDialogs::SetMessageAnswer([this](const QString &AText, const QString &, int AIcon) {
            Messages << AText;
            Icons << AIcon;
        });
        Form = std::make_unique<TAppForm>(nullptr, VersionFixture::TonaraExecutable());
        List = Form->findChild<QTreeWidget *>(QStringLiteral("ListView1"));
    }

    ~TListFixture() { TUserDialogs::SetMessageAnswer({}); }

    QStringList Captions() const
    {
        QStringList captions;
        for (int i = 0; i < List->topLevelItemCount(); ++i)
            captions << List->topLevelItem(i)->text(0);
        return captions;
    }

    static QMimeData *UrlsOf(const QStringList &APaths)
    {
        auto *data = new QMimeData;
        QList<QUrl> urls;
        for (const QString &path : APaths)
            urls << QUrl::fromLocalFile(path);
        data->setUrls(urls);
        return data;
    }

    // Drags AData over the list's middle as a file manager does; whether the list took it.
    bool DragEnter(const QMimeData *AData, Qt::DropActions AActions = Qt::CopyAction,
                   Qt::KeyboardModifiers AModifiers = Qt::NoModifier) const
    {
        QDragEnterEvent enter(List->viewport()->rect().center(), AActions, AData, Qt::LeftButton, AModifiers);
        QCoreApplication::sendEvent(List->viewport(), &enter);
        return enter.isAccepted();
    }

    // Drags AData over the list and drops it there (Qt delivers a drop only to
    // the widget that took the drag); the action the list chose, or
    // IgnoreAction when it refused.
    Qt::DropAction DragAndDrop(const QMimeData *AData, Qt::DropActions AActions = Qt::CopyAction,
                               Qt::KeyboardModifiers AModifiers = Qt::NoModifier) const
    {
        if (!DragEnter(AData, AActions, AModifiers))
            return Qt::IgnoreAction;
        QDropEvent drop(List->viewport()->rect().center(), AActions, AData, Qt::LeftButton, AModifiers);
        QCoreApplication::sendEvent(List->viewport(), &drop);
        return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
    }

    TTestFolder Home;
    TScopedEnv DataHome{"XDG_DATA_HOME", Home.FilePath(QStringLiteral("data")).toUtf8()};
    TScopedEnv ConfigHome{"XDG_CONFIG_HOME", Home.FilePath(QStringLiteral("config")).toUtf8()};
    TTestFolder Files;
    QStringList Messages;
    QList<int> Icons;
    std::unique_ptr<TAppForm> Form;
    QTreeWidget *List = nullptr;
};

class SoundListIntake : public ::testing::Test, public TListFixture
{};

TEST_F(SoundListIntake, DropAddsSoundFilesAndTheSoundFilesOfFoldersAndNamesTheRest)
{
    const QString single = Files.Write(Odd + QStringLiteral(".WAV"), "x");
    const QString folder = Files.MakeFolder(QStringLiteral("takes $1"));
    for (const char *name : {"Take 10.mp3", "take 2.wav", "Take 1.wav", "notes.txt"})
        Files.Write(QStringLiteral("takes $1/") + QString::fromUtf8(name), "x");
    Files.MakeFolder(QStringLiteral("takes $1/inner.mp3"));
    Files.Write(QStringLiteral("takes $1/inner.mp3/deeper.mp3"), "x");
    const QString empty = Files.MakeFolder(QStringLiteral("empty"));
    const QString text = Files.Write(QStringLiteral("readme.txt"), "x");
    const QString missing = Files.FilePath(QStringLiteral("gone.mp3"));
    new QTreeWidgetItem(List, {QStringLiteral("/already/there.mp3"), QString()});

    const std::unique_ptr<QMimeData> data(UrlsOf({single, folder, text, missing, empty}));
    ASSERT_EQ(DragAndDrop(data.get()), Qt::CopyAction);

    EXPECT_EQ(Captions(),
              (QStringList{QStringLiteral("/already/there.mp3"), single, folder + QStringLiteral("/Take 1.wav"),
                           folder + QStringLiteral("/take 2.wav"), folder + QStringLiteral("/Take 10.mp3")}));
    EXPECT_EQ(List->topLevelItem(1)->text(1), QString()); // no status yet
    // One box, after the drop has returned.
    ASSERT_TRUE(WaitUntil([this] { return !Messages.isEmpty(); }));
    ASSERT_EQ(Messages.size(), 1);
    EXPECT_EQ(Icons.constFirst(), TUserDialogs::IconWarning);
    const QString message = Messages.constFirst();
    EXPECT_TRUE(message.contains(text + QStringLiteral(" (not an MP3 or WAV file)"))) << message.toStdString();
    EXPECT_TRUE(message.contains(missing + QStringLiteral(" (not found)"))) << message.toStdString();
    EXPECT_TRUE(message.contains(empty + QStringLiteral(" (a folder without MP3 or WAV files)")))
        << message.toStdString();
    EXPECT_FALSE(message.contains(QStringLiteral("notes.txt"))) << "only what was dropped is named";
}

TEST_F(SoundListIntake, DropOfSoundFilesOnlyShowsNoBox)
{
    const QString wav = Files.Write(QStringLiteral("a.wav"), "x");
    const std::unique_ptr<QMimeData> data(UrlsOf({wav}));
    ASSERT_EQ(DragAndDrop(data.get()), Qt::CopyAction);
    EXPECT_EQ(Captions(), QStringList{wav});
    QTest::qWait(50); // a queued box would have come by now
    EXPECT_TRUE(Messages.isEmpty());
}

TEST_F(SoundListIntake, ADropIsAlwaysACopySoTheFileManagerKeepsTheFiles)
{
    const QString wav = Files.Write(QStringLiteral("a.wav"), "x");
    const std::unique_ptr<QMimeData> data(UrlsOf({wav}));
    // Shift asks a file manager for a move.
    EXPECT_EQ(DragAndDrop(data.get(), Qt::CopyAction | Qt::MoveAction, Qt::ShiftModifier), Qt::CopyAction);
    EXPECT_EQ(DragAndDrop(data.get(), Qt::MoveAction), Qt::IgnoreAction);
    EXPECT_EQ(Captions(), QStringList{wav});
}

TEST_F(SoundListIntake, StartUpFilesAreAddedInOrderWithTheFirstSelected)
{
    const QString second = Files.Write(QStringLiteral("b.mp3"), "x");
    const QString first = Files.Write(Odd + QStringLiteral(".mp3"), "x");
    const QString missing = Files.FilePath(QStringLiteral("gone.wav"));
    const QString text = Files.Write(QStringLiteral("notes.txt"), "x");

    Form->OpenSoundFiles({first, missing, second, text});

    EXPECT_EQ(Captions(), (QStringList{first, second}));
    ASSERT_EQ(List->selectedItems().size(), 1);
    EXPECT_EQ(List->selectedItems().constFirst()->text(0), first);
    EXPECT_TRUE(Messages.isEmpty()) << "the box waits for the event loop, so the window shows first";
    ASSERT_TRUE(WaitUntil([this] { return !Messages.isEmpty(); }));
    ASSERT_EQ(Messages.size(), 1);
    EXPECT_TRUE(Messages.constFirst().contains(missing + QStringLiteral(" (not found)")));
    EXPECT_TRUE(Messages.constFirst().contains(text + QStringLiteral(" (not an MP3 or WAV file)")));
}

TEST_F(SoundListIntake, RelativeStartUpNamesBecomeFullPaths)
{
    const QString file = Files.Write(QStringLiteral("a.wav"), "x");
    const QString previous = QDir::currentPath();
    QDir::setCurrent(Files.Path());
    Form->OpenSoundFiles({QStringLiteral("a.wav")});
    QDir::setCurrent(previous);
    EXPECT_EQ(Captions(), QStringList{file});
}

// A name that is not UTF-8 reaches the list as the bytes that name the file,
// given by itself or found in a folder.
TEST_F(SoundListIntake, NamesThatAreNotUtf8AreListedAsTheirBytes)
{
    const QByteArray folder = QFile::encodeName(Files.Path());
    const QByteArray alone = folder + "/\xff\xfe.wav";
    const QByteArray inFolder = folder + "/sub/\xe9t\xe9.mp3";
    ASSERT_TRUE(QDir(Files.Path()).mkdir(QStringLiteral("sub")));
    for (const QByteArray &path : {alone, inFolder}) {
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }

    Form->OpenSoundFiles({Platform::DecodeFileName(alone), Files.FilePath(QStringLiteral("sub"))});

    const QStringList captions = Captions();
    ASSERT_EQ(captions.size(), 2) << captions.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(Platform::EncodeFileName(captions[0]), alone);
    EXPECT_EQ(Platform::EncodeFileName(captions[1]), inFolder);
}

// What a drag carries, and whether the list takes it.
struct TDragCase
{
    const char *Name;
    QStringList Names; // created in the test's folder; a name ending in "/" is a folder
    QStringList Dragged;
    bool Accepted;
};

// The case's name in ctest's list instead of its bytes.
void PrintTo(const TDragCase &ACase, std::ostream *AOut)
{
    *AOut << ACase.Name;
}

class SoundListDrag : public ::testing::TestWithParam<TDragCase>, public TListFixture
{};

TEST_P(SoundListDrag, IsAcceptedOnlyWithSomethingUsable)
{
    const TDragCase &c = GetParam();
    for (const QString &name : c.Names) {
        if (name.endsWith(QLatin1Char('/')))
            Files.MakeFolder(name.chopped(1));
        else
            Files.Write(name, "x");
    }
    QStringList dragged;
    for (const QString &name : c.Dragged)
        dragged << Files.FilePath(name);
    const std::unique_ptr<QMimeData> data(UrlsOf(dragged));
    EXPECT_EQ(DragEnter(data.get()), c.Accepted);
}

INSTANTIATE_TEST_SUITE_P(
    Drags, SoundListDrag,
    ::testing::Values(TDragCase{"a sound file", {QStringLiteral("a.mp3")}, {QStringLiteral("a.mp3")}, true},
                      TDragCase{"a text file beside a sound file",
                                {QStringLiteral("a.txt"), QStringLiteral("b.wav")},
                                {QStringLiteral("a.txt"), QStringLiteral("b.wav")},
                                true},
                      TDragCase{"a folder with a sound file",
                                {QStringLiteral("f/"), QStringLiteral("f/a.wav")},
                                {QStringLiteral("f")},
                                true},
                      TDragCase{"a text file only", {QStringLiteral("a.txt")}, {QStringLiteral("a.txt")}, false},
                      TDragCase{"a folder of text files",
                                {QStringLiteral("f/"), QStringLiteral("f/a.txt")},
                                {QStringLiteral("f")},
                                false},
                      TDragCase{"a missing sound file", {}, {QStringLiteral("gone.mp3")}, false},
                      TDragCase{"no files at all", {}, {}, false}),
    CaseName<TDragCase>);

} // namespace
