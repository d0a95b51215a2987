#include "app/PopupUnderButton.h"
#include "platform/TickCount.h"

#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

TEST(IsPopupReclick, CountsUnsignedMillisecondsAcrossTheWrap)
{
    struct TCase
    {
        quint32 Last, Now;
        bool Reclick;
    };
    const TCase cases[] = {
        {1000, 1000, true},
        {1000, 1099, true},
        {1000, 1100, false},
        {1000, 5000, false},
        {0xFFFFFFF0u, 0x00000010u, true},         // 32 ms across the wrap
        {0xFFFFFFF0u, 0xFFFFFFF0u + 99u, true},   // 99 ms, wrapped
        {0xFFFFFFF0u, 0xFFFFFFF0u + 100u, false}, // 100 ms, wrapped
        {0x00000010u, 0xFFFFFFF0u, false},        // almost a whole turn later
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << "last 0x" << c.Last << ", now 0x" << c.Now);
        EXPECT_EQ(IsPopupReclick(c.Last, c.Now), c.Reclick);
    }
}

namespace {

class PopupUnderButtonTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        LastPopupButton = nullptr;
        LastPopupMenu = nullptr;
        LastPopupTime = 0;

        FWindow.setGeometry(100, 100, 320, 200);
        FSave.setGeometry(20, 40, 100, 30);
        FInfo.setGeometry(140, 40, 100, 30);
        for (QMenu *menu : {&FMenu, &FOtherMenu}) {
            menu->addAction(QStringLiteral("Save as MP3..."));
            menu->addAction(QStringLiteral("Save as WAV..."));
            CloseWhenShown(menu);
        }
        QObject::connect(&FSave, &QPushButton::clicked, [this] { PopupUnderButton(&FSave, &FMenu); });
        QObject::connect(&FInfo, &QPushButton::clicked, [this] { PopupUnderButton(&FInfo, &FMenu); });
        FWindow.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&FWindow));
    }

    // The menu's event loop blocks the caller: note where it opened, then close it.
    void CloseWhenShown(QMenu *AMenu)
    {
        QObject::connect(AMenu, &QMenu::aboutToShow, AMenu, [this, AMenu] {
            ++FShown;
            QTimer::singleShot(0, AMenu, [this, AMenu] {
                FShownVisible = AMenu->isVisible();
                FShownAt = AMenu->pos();
                FClosedAt = Platform::TickCount();
                AMenu->close();
            });
        });
    }

    // Clicks the button as a user would; returns whether a menu opened.
    bool Press(QPushButton *AButton)
    {
        const int before = FShown;
        QTest::mouseClick(AButton, Qt::LeftButton);
        return FShown > before;
    }

    QWidget FWindow;
    QPushButton FSave{QStringLiteral("Save"), &FWindow};
    QPushButton FInfo{QStringLiteral("Info"), &FWindow};
    QMenu FMenu;
    QMenu FOtherMenu;
    int FShown = 0;
    bool FShownVisible = false;
    QPoint FShownAt;
    quint32 FClosedAt = 0;
};

} // namespace

TEST_F(PopupUnderButtonTest, ShowsTheMenuAtTheButtonsBottomLeftCornerAndNotesItsClose)
{
    ASSERT_TRUE(Press(&FSave));
    const quint32 returnedAt = Platform::TickCount();
    EXPECT_TRUE(FShownVisible);
    EXPECT_EQ(FShownAt, FSave.mapToGlobal(QPoint(0, FSave.height())));
    EXPECT_FALSE(FMenu.isVisible());
    EXPECT_EQ(FMenu.property("PopupComponent").value<QObject *>(), &FSave);

    EXPECT_EQ(LastPopupButton, &FSave);
    EXPECT_EQ(LastPopupMenu, &FMenu);
    EXPECT_LE(LastPopupTime - FClosedAt, returnedAt - FClosedAt) << "time taken before the close";
}

TEST_F(PopupUnderButtonTest, PressRightAfterTheCloseDoesNotReopenButTheNextOneDoes)
{
    ASSERT_TRUE(Press(&FSave));
    const quint32 closedAt = LastPopupTime;
    const bool reopened = Press(&FSave);
    if (Platform::TickCount() - closedAt >= PopupReclickMs)
        GTEST_SKIP() << "the machine took 100 ms between two presses";
    EXPECT_FALSE(reopened);
    EXPECT_EQ(LastPopupButton, nullptr);
    EXPECT_EQ(LastPopupMenu, nullptr);

    EXPECT_TRUE(Press(&FSave)) << "the guard holds for one press only";

    QTest::qWait(PopupReclickMs + 20);
    EXPECT_TRUE(Press(&FSave)) << "a press well after the close opens the menu";
}

TEST_F(PopupUnderButtonTest, GuardHoldsOnlyForTheSameButtonAndMenu)
{
    ASSERT_TRUE(Press(&FSave));
    EXPECT_TRUE(Press(&FInfo)) << "another button with the same menu";
    EXPECT_EQ(FMenu.property("PopupComponent").value<QObject *>(), &FInfo);

    const int before = FShown;
    PopupUnderButton(&FInfo, &FOtherMenu);
    EXPECT_EQ(FShown, before + 1) << "the same button with another menu";
    EXPECT_EQ(FShownAt, FInfo.mapToGlobal(QPoint(0, FInfo.height())));
}

TEST_F(PopupUnderButtonTest, DestroyedButtonNeverMatchesAgain)
{
    auto *button = new QPushButton(QStringLiteral("Temp"), &FWindow);
    PopupUnderButton(button, &FMenu);
    ASSERT_EQ(LastPopupButton, button);
    delete button;
    EXPECT_EQ(LastPopupButton, nullptr);
}
