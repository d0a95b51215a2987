#include "gui/GlyphMatrix.h"
#include "support/CaseName.h"

#include <gtest/gtest.h>

namespace {

struct TSeedCase
{
    const char *Name;
    QSize Window;
    int Columns;
    int Rows;
    int Drops;
};

class GlyphMatrixSeed : public testing::TestWithParam<TSeedCase>
{};

// Whether the cell (AColumn, ARow) holds any pixel but black.
bool CellIsDrawn(const TGlyphMatrix &AMatrix, int AColumn, int ARow)
{
    for (int y = ARow * AMatrix.charHeight; y < (ARow + 1) * AMatrix.charHeight; ++y)
        for (int x = AColumn * AMatrix.charWidth; x < (AColumn + 1) * AMatrix.charWidth; ++x)
            if (AMatrix.Bitmap().pixelColor(x, y) != Qt::black)
                return true;
    return false;
}

} // namespace

TEST_P(GlyphMatrixSeed, TwoDropsPerColumnUpToTheTableSize)
{
    const TSeedCase &c = GetParam();
    TGlyphMatrix matrix;
    matrix.StartMatrix(c.Window);
    EXPECT_EQ(matrix.matrixWidth, c.Columns);
    EXPECT_EQ(matrix.matrixHeight, c.Rows);
    ASSERT_EQ(matrix.DropCount, c.Drops);
    for (int i = 0; i < matrix.DropCount; ++i) {
        const TDrop &drop = matrix.Drops[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(drop.x, i % c.Columns);
        EXPECT_GE(drop.y, 0);
        EXPECT_LT(drop.y, std::max(c.Rows, 1));
        EXPECT_GE(drop.speed, 1);
        EXPECT_LE(drop.speed, 3);
        EXPECT_GE(drop.brightness, 0);
        EXPECT_LE(drop.brightness, 99);
    }

    // Ticks move the frame count on; without drops they change nothing else.
    matrix.StepMatrix();
    matrix.StepMatrix();
    EXPECT_EQ(matrix.FrameCount, 2);
    EXPECT_EQ(matrix.DropCount, c.Drops);
    if (c.Drops == 0) {
        for (int y = 0; y < c.Window.height(); ++y)
            for (int x = 0; x < c.Window.width(); ++x)
                ASSERT_EQ(matrix.Bitmap().pixelColor(x, y), QColor(Qt::black));
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, GlyphMatrixSeed,
                         testing::Values(TSeedCase{"AboutBoxSize", QSize(446, 374), 55, 31, 110},
                                         TSeedCase{"NarrowerThanAColumn", QSize(7, 374), 0, 31, 0},
                                         TSeedCase{"LowerThanARow", QSize(80, 11), 10, 0, 20},
                                         TSeedCase{"TableFullAt2500Columns", QSize(8 * 2500, 12), 2500, 1, 5000},
                                         TSeedCase{"NoMoreAfterAFullTable", QSize(8 * 2501 + 7, 12), 2501, 1, 5000}),
                         CaseName<TSeedCase>);

TEST(GlyphMatrix, TheTailIsErasedFortyRowsUpWrappedIntoTheMatrix)
{
    const struct
    {
        int Y, Height, Tail;
    } cases[] = {{10, 33, 4}, {2, 33, 30}, {0, 33, 28}, {40, 33, 0}, {45, 33, 5}, {1, 5, 3}, {0, 0, 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.Y << ", height " << c.Height);
        EXPECT_EQ(TGlyphMatrix::TailRow(c.Y, c.Height), c.Tail);
    }

    // And the cell there is blackened when the head draws.
    TGlyphMatrix matrix;
    matrix.StartMatrix(QSize(80, 33 * 12));
    matrix.DrawDropGlyph(TDrop{3, 30, 1, 99}, u'q');
    ASSERT_TRUE(CellIsDrawn(matrix, 3, 30));
    matrix.DrawDropGlyph(TDrop{3, 2, 1, 99}, u'q');
    EXPECT_FALSE(CellIsDrawn(matrix, 3, 30));
}

TEST(GlyphMatrix, ADarkDropStaysInvisible)
{
    TGlyphMatrix matrix;
    matrix.StartMatrix(QSize(80, 120));
    matrix.DrawDropGlyph(TDrop{2, 5, 1, 0}, u'b');
    EXPECT_FALSE(CellIsDrawn(matrix, 2, 5));
    EXPECT_FALSE(CellIsDrawn(matrix, 2, 4));
}

TEST(GlyphMatrix, AHeadMovesOnItsTurnAndRestartsTwoRowsBelowTheLast)
{
    TGlyphMatrix matrix;
    matrix.StartMatrix(QSize(8, 5 * 12)); // one column of 5 rows
    matrix.DropCount = 1;
    matrix.Drops[0] = TDrop{0, 5, 2, 40};
    matrix.StepMatrix(); // frame 0: its turn
    EXPECT_EQ(matrix.Drops[0].y, 6);
    matrix.StepMatrix(); // frame 1: not its turn
    EXPECT_EQ(matrix.Drops[0].y, 6);
    matrix.StepMatrix(); // frame 2: past row 5 + 1, so back to the top
    EXPECT_EQ(matrix.Drops[0].y, 0);
    EXPECT_EQ(matrix.Drops[0].x, 0);
    EXPECT_GE(matrix.Drops[0].speed, 1);
    EXPECT_LE(matrix.Drops[0].speed, 3);
}
