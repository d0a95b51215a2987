#include "gui/StatusProgressDelegate.h"

#include <QImage>
#include <QPainter>
#include <QStandardItemModel>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

constexpr int CellWidth = 300;
constexpr int CellHeight = 24;
const QVariant NoBar;

// Counts the paint events a widget receives.
class TPaintCounter : public QObject
{
public:
    int Paints = 0;

protected:
    bool eventFilter(QObject *AObject, QEvent *AEvent) override
    {
        if (AEvent->type() == QEvent::Paint)
            ++Paints;
        return QObject::eventFilter(AObject, AEvent);
    }
};

class StatusProgressDelegateTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FModel.setItem(0, 0, new QStandardItem(QStringLiteral("/music/a b.mp3")));
        FModel.setItem(0, 1, new QStandardItem());
        FView.setModel(&FModel);
        FView.setItemDelegateForColumn(1, FDelegate);
        FView.resize(640, 120);
        FView.setColumnWidth(0, 200);
        FView.setColumnWidth(1, CellWidth);
    }

    QModelIndex StatusCell() const { return FModel.index(0, 1); }

    void SetStatus(const QString &AText, const QVariant &AProgress)
    {
        FModel.setData(StatusCell(), AText);
        FModel.setData(StatusCell(), AProgress, TStatusProgressDelegate::ProgressRole);
    }

    // The Status cell as the delegate paints it, on white.
    QImage Render(const QString &AText, const QVariant &AProgress)
    {
        SetStatus(AText, AProgress);
        QStyleOptionViewItem option;
        option.initFrom(&FView);
        option.widget = &FView;
        option.rect = QRect(0, 0, CellWidth, CellHeight);
        option.state = QStyle::State_Enabled;
        QImage image(CellWidth, CellHeight, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        FDelegate->paint(&painter, option, StatusCell());
        return image;
    }

    QStandardItemModel FModel{1, 2};
    QTreeView FView;
    TStatusProgressDelegate *FDelegate = new TStatusProgressDelegate(&FView);
};

// How many pixel columns of AImage differ from AReference.
int DifferingColumns(const QImage &AImage, const QImage &AReference)
{
    int columns = 0;
    for (int x = 0; x < AImage.width(); ++x)
        for (int y = 0; y < AImage.height(); ++y)
            if (AImage.pixel(x, y) != AReference.pixel(x, y)) {
                ++columns;
                break;
            }
    return columns;
}

} // namespace

TEST_F(StatusProgressDelegateTest, DrawsABarOnlyWhileTheItemHoldsAProgress)
{
    const QImage plain = Render(QStringLiteral("Processing..."), NoBar);
    const QImage bar = Render(QStringLiteral("Processing..."), 0.0);
    EXPECT_GT(DifferingColumns(bar, plain), CellWidth * 9 / 10) << "no bar drawn across the cell";
    EXPECT_EQ(Render(QStringLiteral("Complete"), NoBar), Render(QStringLiteral("Complete"), NoBar));
    EXPECT_NE(Render(QStringLiteral("Processing..."), 0.5), Render(QString(), 0.5)) << "text not on the bar";
}

TEST(StatusBarText, ShowsThePercentageOnlyWhenKnown)
{
    const struct
    {
        double Progress;
        const char *Text;
    } cases[] = {
        {0.0, "Processing... 0%"},     {0.426, "Processing... 42%"}, {0.999, "Processing... 99%"},
        {1.0, "Processing... 100%"},   {7.0, "Processing... 100%"},  {TStatusProgressDelegate::Indeterminate,
                                                                        "Processing..."},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TStatusProgressDelegate::BarText(QStringLiteral("Processing..."), c.Progress),
                  QString::fromLatin1(c.Text))
            << c.Progress;
    EXPECT_EQ(TStatusProgressDelegate::BarText(QString(), 0.5), QStringLiteral("50%"));
}

TEST_F(StatusProgressDelegateTest, ThePercentageIsDrawnOnTheBar)
{
    // Filled to 10% and 20%: the bars differ only on their left, the centred
    // text in the middle.
    const QRect middle(CellWidth / 3, 0, CellWidth / 3, CellHeight);
    EXPECT_GT(DifferingColumns(Render(QString(), 0.1).copy(middle), Render(QString(), 0.2).copy(middle)), 0)
        << "no percentage in the middle of the bar";
}

TEST_F(StatusProgressDelegateTest, FillsTheBarAsFarAsTheRunHasCome)
{
    const QImage empty = Render(QString(), 0.0);
    const int half = DifferingColumns(Render(QString(), 0.5), empty);
    const int full = DifferingColumns(Render(QString(), 1.0), empty);
    EXPECT_NEAR(half, CellWidth / 2, CellWidth / 10);
    EXPECT_GT(full, CellWidth * 9 / 10);
    EXPECT_EQ(DifferingColumns(Render(QString(), 7.0), Render(QString(), 1.0)), 0) << "more than full";
}

TEST_F(StatusProgressDelegateTest, BusyBarMovesUntilNoneIsLeft)
{
    const QImage first = Render(QString(), TStatusProgressDelegate::Indeterminate);
    EXPECT_TRUE(FDelegate->IsAnimating());
    QTest::qWait(200);
    EXPECT_NE(Render(QString(), TStatusProgressDelegate::Indeterminate), first) << "the busy bar stands still";

    // On screen, the delegate itself has the view repainted.
    TPaintCounter counter;
    FView.viewport()->installEventFilter(&counter);
    FView.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&FView));
    const int paintsBefore = counter.Paints;
    EXPECT_TRUE(QTest::qWaitFor([&] { return counter.Paints >= paintsBefore + 3; }));

    SetStatus(QStringLiteral("Processing..."), 1.0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !FDelegate->IsAnimating(); }));
}
