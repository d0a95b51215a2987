// The update popup offscreen: where it appears, what it says, what its link
// opens, and when it goes.
#include "gui/NewVer.h"
#include "identity/AppIdentity.h"
#include "online/ServerEndpoints.h"
#include "support/CaseName.h"
#include "support/QtPrinters.h"
#include "support/UrlCatcher.h"
#include "support/WaitFor.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

class NewVerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        AppProductName = QStringLiteral("Tonara");
        for (const char *scheme : {"http", "https", "file"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &FCatcher, "Open");
    }

    void TearDown() override
    {
        for (const char *scheme : {"http", "https", "file"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
        delete FPopup.data();
    }

    TNewVer *Create(const QString &AVersion, const QString &AUrl = QString())
    {
        FPopup = new TNewVer(nullptr, AVersion, AUrl);
        return FPopup;
    }

    template <typename T> T *Child(const char *AName)
    {
        T *child = FPopup->findChild<T *>(QString::fromLatin1(AName));
        EXPECT_NE(child, nullptr) << AName;
        return child;
    }

    bool WaitClosed()
    {
        return WaitUntil([this] { return FPopup.isNull(); });
    }

    // Shown and slid in to its full size.
    bool WaitShown()
    {
        return WaitUntil([this] { return FPopup->isVisible() && FPopup->size() == QSize(320, 68); });
    }

    TUrlCatcher FCatcher;
    QPointer<TNewVer> FPopup;
};

} // namespace

TEST_F(NewVerTest, SlidesInAtTheTopRightCorner)
{
    TNewVer *popup = Create(QStringLiteral("2.0"));
    EXPECT_FALSE(popup->isVisible()); // created hidden, shown a moment later
    ASSERT_TRUE(WaitUntil([&] { return popup->isVisible(); }));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect corner(screen.x() + screen.width() - 320 - 5, screen.y() + 5, 320, 68);
    EXPECT_TRUE(WaitUntil([&] { return popup->geometry() == corner; })) << popup->geometry().x();
    EXPECT_TRUE(popup->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(popup->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(Child<QLabel>("Label1")->text(), QStringLiteral("UPDATE AVAILABLE"));
    EXPECT_EQ(Child<QLabel>("Label2")->text(), QStringLiteral("Click to download Tonara 2.0"));
    EXPECT_TRUE(Child<QLabel>("Label2")->font().underline());
}

TEST_F(NewVerTest, TheServersVersionIsPlainText)
{
    Create(QStringLiteral("<b>2.0</b><img src=x>"));
    auto *link = Child<QLabel>("Label2");
    EXPECT_EQ(link->text(), QStringLiteral("Click to download Tonara <b>2.0</b><img src=x>"));
    EXPECT_EQ(link->textFormat(), Qt::PlainText);
}

TEST_F(NewVerTest, LinkLightsUpUnderTheMouse)
{
    TNewVer *popup = Create(QStringLiteral("2.0"));
    ASSERT_TRUE(WaitShown());
    auto *link = Child<QLabel>("Label2");
    EXPECT_EQ(Child<QTimer>("TimerLink")->interval(), 100);
    QCursor::setPos(link->mapToGlobal(link->rect().center()));
    popup->TimerLinkTimer();
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QApplication::palette().color(QPalette::Highlight));
    QCursor::setPos(link->mapToGlobal(QPoint(-40, -40)));
    popup->TimerLinkTimer();
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QApplication::palette().color(QPalette::WindowText));
}

TEST_F(NewVerTest, ClosesOnTheEleventhSecond)
{
    TNewVer *popup = Create(QStringLiteral("2.0"));
    ASSERT_TRUE(WaitUntil([&] { return popup->isVisible(); }));
    auto *timer = Child<QTimer>("TimerClose");
    EXPECT_EQ(timer->interval(), 1000);
    EXPECT_TRUE(timer->isActive());
    for (int second = 1; second <= 10; ++second)
        popup->TimerCloseTimer();
    EXPECT_TRUE(timer->isActive());
    QTest::qWait(TNewVer::AnimationMs * 2);
    ASSERT_FALSE(FPopup.isNull());
    EXPECT_TRUE(popup->isVisible());
    popup->TimerCloseTimer();
    EXPECT_FALSE(timer->isActive());
    EXPECT_TRUE(WaitClosed());
    EXPECT_TRUE(FCatcher.Urls.isEmpty());
}

// A press on the link that turns into a drag: the popup stays where it is, and
// the release outside the link opens nothing.
TEST_F(NewVerTest, DragFromTheLinkNeitherMovesNorOpens)
{
    TNewVer *popup = Create(QStringLiteral("2.0"), QStringLiteral("https://dl.example.com/t.zip"));
    ASSERT_TRUE(WaitShown());
    auto *link = Child<QLabel>("Label2");
    const QPoint before = popup->pos();
    const QPoint local(3, 3);
    const QPoint drag(-130, 40);
    QTest::mousePress(link, Qt::LeftButton, Qt::NoModifier, local);
    QMouseEvent move(QEvent::MouseMove, local + drag, link->mapToGlobal(local + drag), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(link, &move);
    QTest::mouseRelease(link, Qt::LeftButton, Qt::NoModifier, local + drag);
    EXPECT_EQ(popup->pos(), before);
    EXPECT_TRUE(FCatcher.Urls.isEmpty());
    EXPECT_FALSE(FPopup.isNull());
}

// The popup comes and stays without taking the focus from the window below.
TEST_F(NewVerTest, LeavesTheFocusWithTheMainWindow)
{
    // Run on a real X server by its own ctest entry (NewVerTest.FocusOnX).
    if (QGuiApplication::platformName() == QStringLiteral("offscreen"))
        GTEST_SKIP() << "the offscreen platform activates every window it shows";
    QWidget mainWindow;
    mainWindow.show();
    mainWindow.activateWindow();
    ASSERT_TRUE(WaitUntil([&] { return QApplication::activeWindow() == &mainWindow; }));
    FPopup = new TNewVer(&mainWindow, QStringLiteral("2.0"), QString());
    ASSERT_TRUE(WaitShown());
    QTest::qWait(TNewVer::AnimationMs * 2);
    EXPECT_EQ(QApplication::activeWindow(), &mainWindow);
    EXPECT_FALSE(FPopup->isActiveWindow());
}

TEST_F(NewVerTest, CloseButtonClosesWithoutOpening)
{
    TNewVer *popup = Create(QStringLiteral("2.0"), QStringLiteral("https://dl.example.com/t.zip"));
    ASSERT_TRUE(WaitUntil([&] { return popup->isVisible(); }));
    QTest::mouseClick(Child<QToolButton>("Button1"), Qt::LeftButton);
    EXPECT_TRUE(WaitClosed());
    EXPECT_TRUE(FCatcher.Urls.isEmpty());
}

namespace {

struct TLinkCase
{
    const char *Name;
    QString UpdateURL;
    QString Opened; // null: the home page
};

void PrintTo(const TLinkCase &ACase, std::ostream *AStream)
{
    *AStream << ACase.Name;
}

class NewVerLink : public NewVerTest, public ::testing::WithParamInterface<TLinkCase>
{};

} // namespace

TEST_P(NewVerLink, OpensOnlyWebAddresses)
{
    const TLinkCase &c = GetParam();
    Create(QStringLiteral("2.0"), c.UpdateURL);
    ASSERT_TRUE(WaitShown()); // a release inside the link, so at its full size
    QTest::mouseClick(Child<QLabel>("Label2"), Qt::LeftButton);
    EXPECT_EQ(FCatcher.Urls, QList<QUrl>{QUrl(c.Opened.isNull() ? HomePageURL() : c.Opened)});
    EXPECT_TRUE(WaitClosed());
}

INSTANTIATE_TEST_SUITE_P(Cases, NewVerLink,
                         ::testing::Values(TLinkCase{"Https", QStringLiteral("https://dl.example.com/tonara-2.0.zip"),
                                                     QStringLiteral("https://dl.example.com/tonara-2.0.zip")},
                                           TLinkCase{"Http", QStringLiteral("http://dl.example.com/t?v=2"),
                                                     QStringLiteral("http://dl.example.com/t?v=2")},
                                           TLinkCase{"Empty", QString(), QString()},
                                           TLinkCase{"LocalFile", QStringLiteral("file:///usr/bin/xterm"), QString()},
                                           TLinkCase{"BarePath", QStringLiteral("/usr/bin/xterm"), QString()},
                                           TLinkCase{"OtherScheme", QStringLiteral("javascript:alert(1)"), QString()},
                                           TLinkCase{"NoHost", QStringLiteral("http:///etc/passwd"), QString()}),
                         CaseName<TLinkCase>);
