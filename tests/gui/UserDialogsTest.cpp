#include "gui/LinkOpener.h"
#include "gui/UpdateNotice.h"
#include "gui/UserDialogs.h"
#include "online/CheckReply.h"

#include <QApplication>
#include <QFileDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <gtest/gtest.h>

#include "support/QtPrinters.h"
#include "support/ScopedEnv.h"

namespace {

// Calls AHandle with the modal dialog of type T as soon as it is up.
template <typename T> void WhenModalShows(std::function<void(T *)> AHandle)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, AHandle] {
        if (auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            AHandle(dialog);
        }
    });
    poll->start(10);
}

TEST(UserDialogs, NameFiltersFromFilterPairs)
{
    const struct
    {
        QString Filter;
        QStringList NameFilters;
    } cases[] = {
        {QStringLiteral("Supported Formats (*.mp3;*.wav)|*.mp3;*.wav"),
         {QStringLiteral("Supported Formats (*.mp3 *.wav)")}},
        {QStringLiteral("WAV File (*.wav)|*.wav"), {QStringLiteral("WAV File (*.wav)")}},
        {QStringLiteral("MP3 File|*.mp3|All files|*"),
         {QStringLiteral("MP3 File (*.mp3)"), QStringLiteral("All files (*)")}},
        {QString(), {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Filter.toStdString());
        EXPECT_EQ(TUserDialogs::NameFilters(c.Filter), c.NameFilters);
    }
}

TEST(UserDialogs, InstalledAnswersSeeEveryRequest)
{
    QStringList seen;
    TUserDialogs::SetMessageAnswer([&](const QString &AText, const QString &ACaption, int AIcon) {
        seen << AText << ACaption << QString::number(AIcon);
    });
    TUserDialogs::SetFileAnswer([&](bool ASave, TUserDialogs::TFileRequest &ARequest) {
        seen << (ASave ? QStringLiteral("save") : QStringLiteral("open")) << ARequest.Filter << ARequest.FileName;
        ARequest.FileName = QStringLiteral("/chosen.wav");
        return ASave;
    });

    TUserDialogs::ShowMessage(QStringLiteral("No file selected!"), QStringLiteral("Warning"),
                              TUserDialogs::IconWarning);
    TUserDialogs::TFileRequest request{QStringLiteral("WAV File (*.wav)|*.wav"), QStringLiteral("wav"),
                                       QStringLiteral("last.wav"), TUserDialogs::ofOverwritePrompt, QString()};
    EXPECT_TRUE(TUserDialogs::SaveFileName(nullptr, request));
    EXPECT_EQ(request.FileName, QStringLiteral("/chosen.wav"));
    EXPECT_FALSE(TUserDialogs::OpenFileName(nullptr, request));

    TUserDialogs::SetMessageAnswer({});
    TUserDialogs::SetFileAnswer({});
    EXPECT_EQ(seen, (QStringList{QStringLiteral("No file selected!"), QStringLiteral("Warning"), QStringLiteral("48"),
                                 QStringLiteral("save"), QStringLiteral("WAV File (*.wav)|*.wav"),
                                 QStringLiteral("last.wav"), QStringLiteral("open"),
                                 QStringLiteral("WAV File (*.wav)|*.wav"), QStringLiteral("/chosen.wav")}));
}

TEST(UserDialogs, RealMessageBox)
{
    const struct
    {
        int Flag;
        QMessageBox::Icon Icon;
    } cases[] = {{16, QMessageBox::Critical}, {48, QMessageBox::Warning}, {64, QMessageBox::Information}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Flag);
        QString text;
        QString caption;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        Qt::TextFormat format = Qt::AutoText;
        WhenModalShows<QMessageBox>([&](QMessageBox *ABox) {
            format = ABox->textFormat();
            text = ABox->text();
            caption = ABox->windowTitle();
            icon = ABox->icon();
            ABox->button(QMessageBox::Ok)->click();
        });
        TUserDialogs::ShowMessage(QStringLiteral("Completed!\r\rLocation: /<b>x</b>.wav"), QStringLiteral("Complete"),
                                  c.Flag);
        EXPECT_EQ(text, QStringLiteral("Completed!\r\rLocation: /<b>x</b>.wav"));
        EXPECT_EQ(format, Qt::PlainText);
        EXPECT_EQ(caption, QStringLiteral("Complete"));
        EXPECT_EQ(icon, c.Icon);
    }
}

// A box asked for while the program is not in front (a drop, a file from
// another start) still belongs to the main window, centred over it.
TEST(UserDialogs, BoxesBelongToTheMainWindowWhenNoneIsActive)
{
    QMainWindow window;
    window.setGeometry(100, 100, 600, 400);
    window.show();
    QApplication::setActiveWindow(nullptr);
    ASSERT_EQ(QApplication::activeWindow(), nullptr);
    for (const bool question : {false, true}) {
        SCOPED_TRACE(question);
        const QWidget *owner = nullptr;
        QPoint centre;
        WhenModalShows<QMessageBox>([&](QMessageBox *ABox) {
            owner = ABox->parentWidget();
            centre = ABox->frameGeometry().center();
            ABox->buttons().constFirst()->click();
        });
        if (question)
            TUserDialogs::AskYesNo(QStringLiteral("Replace?"), QStringLiteral("Confirm"));
        else
            TUserDialogs::ShowMessage(QStringLiteral("x.txt is no sound file"), QStringLiteral("Error"), 16);
        EXPECT_EQ(owner, &window);
        EXPECT_TRUE(window.frameGeometry().contains(centre)) << "not over the window";
    }
}

// A desktop that cannot open anything (no opener on the PATH): the address is
// shown in a box, selectable so that it can be copied.
TEST(LinkOpener, ShowsTheAddressWhenTheDesktopCannotOpenIt)
{
    const TScopedEnv path("PATH", QByteArray());
    const QString address = QStringLiteral("https://example.invalid/help?page=1&lang=en");
    QString text;
    Qt::TextInteractionFlags flags;
    WhenModalShows<QMessageBox>([&](QMessageBox *ABox) {
        text = ABox->text();
        flags = ABox->textInteractionFlags();
        ABox->button(QMessageBox::Ok)->click();
    });
    EXPECT_FALSE(TLinkOpener::Open(QUrl(address)));
    EXPECT_TRUE(text.contains(address)) << text.toStdString();
    EXPECT_TRUE(flags.testFlag(Qt::TextSelectableByMouse));
    EXPECT_TRUE(flags.testFlag(Qt::TextSelectableByKeyboard));
}

TEST(UserDialogs, RealQuestionBoxShowsPlainText)
{
    for (const QMessageBox::StandardButton answer : {QMessageBox::Yes, QMessageBox::No}) {
        SCOPED_TRACE(answer);
        QString text;
        Qt::TextFormat format = Qt::AutoText;
        WhenModalShows<QMessageBox>([&](QMessageBox *ABox) {
            format = ABox->textFormat();
            text = ABox->text();
            ABox->button(answer)->click();
        });
        const bool yes = TUserDialogs::AskYesNo(QStringLiteral("Replace /<b>x</b>.wav?"), QStringLiteral("Confirm"));
        EXPECT_EQ(yes, answer == QMessageBox::Yes);
        EXPECT_EQ(text, QStringLiteral("Replace /<b>x</b>.wav?"));
        EXPECT_EQ(format, Qt::PlainText);
    }
}

// The server's notice at its longest, in one unbroken word: the box still fits
// the screen, so its button can be reached.
TEST(UserDialogs, LongestNoticeFitsTheScreen)
{
    QSize size;
    WhenModalShows<QMessageBox>([&](QMessageBox *ABox) {
        size = ABox->frameGeometry().size();
        ABox->button(QMessageBox::Ok)->click();
    });
    ShowUpdateNotice(QString(TCheckReply::MaxNoticeLength, u'W'));
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    EXPECT_LE(size.width(), screen.width());
    EXPECT_LE(size.height(), screen.height());
}

TEST(UserDialogs, RealSaveDialogAddsTheDefaultExtension)
{
    QTemporaryDir folder;
    QStringList filters;
    bool confirmsOverwrite = false;
    WhenModalShows<QFileDialog>([&](QFileDialog *ADialog) {
        filters = ADialog->nameFilters();
        confirmsOverwrite = !ADialog->testOption(QFileDialog::DontConfirmOverwrite);
        ADialog->setDirectory(folder.path());
        ADialog->selectFile(QStringLiteral("result"));
        static_cast<QDialog *>(ADialog)->accept(); // QFileDialog::accept, which adds the suffix
    });
    TUserDialogs::TFileRequest request{QStringLiteral("WAV File (*.wav)|*.wav"), QStringLiteral("wav"), QString(),
                                       TUserDialogs::ofOverwritePrompt | TUserDialogs::ofHideReadOnly, QString()};
    ASSERT_TRUE(TUserDialogs::SaveFileName(nullptr, request));
    EXPECT_EQ(request.FileName, folder.filePath(QStringLiteral("result.wav")));
    EXPECT_EQ(filters, QStringList{QStringLiteral("WAV File (*.wav)")});
    EXPECT_TRUE(confirmsOverwrite);
}

TEST(UserDialogs, CancelledOpenDialogKeepsTheName)
{
    WhenModalShows<QFileDialog>([](QFileDialog *ADialog) {
        EXPECT_EQ(ADialog->fileMode(), QFileDialog::ExistingFile);
        ADialog->reject();
    });
    TUserDialogs::TFileRequest request{QStringLiteral("Supported Formats (*.mp3;*.wav)|*.mp3;*.wav"),
                                       QStringLiteral("mp3"), QStringLiteral("before.mp3"), 0, QString()};
    EXPECT_FALSE(TUserDialogs::OpenFileName(nullptr, request));
    EXPECT_EQ(request.FileName, QStringLiteral("before.mp3"));
}

} // namespace
