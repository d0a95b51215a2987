#include "gui/DragMove.h"
#include "support/CaseName.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

struct TDragCase
{
    const char *Name;
    Qt::MouseButton Button;
    bool OnButton; // pressed on a control that is not watched
    QPoint Moved;  // how far the window moves for a drag of (30, 20)
};

class DragMoveCases : public testing::TestWithParam<TDragCase>
{};

// Sends a press at the control's (5, 5), a move by (30, 20) and a release.
void Drag(QWidget *AControl, Qt::MouseButton AButton)
{
    const QPoint local(5, 5);
    const QPoint start = AControl->mapToGlobal(local);
    const QPoint end = start + QPoint(30, 20);
    QMouseEvent press(QEvent::MouseButtonPress, local, start, AButton, AButton, Qt::NoModifier);
    QApplication::sendEvent(AControl, &press);
    QMouseEvent move(QEvent::MouseMove, local + QPoint(30, 20), end, Qt::NoButton, AButton, Qt::NoModifier);
    QApplication::sendEvent(AControl, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, local + QPoint(30, 20), end, AButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(AControl, &release);
}

} // namespace

TEST_P(DragMoveCases, MovesTheWindowByTheDrag)
{
    const TDragCase &c = GetParam();
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setGeometry(100, 100, 200, 100);
    auto *label = new QLabel(QStringLiteral("drag me"), &window);
    auto *button = new QPushButton(QStringLiteral("OK"), &window);
    button->move(100, 50);
    new TDragMove(&window, {label});
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QPoint before = window.pos();

    Drag(c.OnButton ? static_cast<QWidget *>(button) : label, c.Button);

    EXPECT_EQ(window.pos() - before, c.Moved);
    // A later move without a press moves nothing: the release ended the drag.
    QMouseEvent move(QEvent::MouseMove, QPointF(50, 50), QPointF(window.mapToGlobal(QPoint(90, 90))), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    const QPoint after = window.pos();
    QApplication::sendEvent(label, &move);
    EXPECT_EQ(window.pos(), after);
}

INSTANTIATE_TEST_SUITE_P(Buttons, DragMoveCases,
                         testing::Values(TDragCase{"Left", Qt::LeftButton, false, QPoint(30, 20)},
                                         TDragCase{"Middle", Qt::MiddleButton, false, QPoint(30, 20)},
                                         TDragCase{"Right", Qt::RightButton, false, QPoint(0, 0)},
                                         TDragCase{"LeftOnAButton", Qt::LeftButton, true, QPoint(0, 0)}),
                         CaseName<TDragCase>);
