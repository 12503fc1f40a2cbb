// The grid drawn over the puzzle picture: the cuts of the chosen grid on the working size,
// mapped back onto the picture.

#include "pieces/piece_overlay.h"

#include <gtest/gtest.h>

#include <vector>

using namespace pdt::pieces;

namespace {

struct Case {
    int width, height, pieceCount;
    PieceGrid grid;
    WorkingSize working;
    double pieceWidth, pieceHeight; // on the picture
};

// The cuts run from 0 every piece, a piece's width across and its height down.
void expectCuts(const std::vector<double>& actual, int pieces, double piece) {
    ASSERT_EQ(actual.size(), size_t(pieces) + 1);
    for (int i = 0; i <= pieces; ++i)
        EXPECT_NEAR(actual[size_t(i)], i * piece, 1e-6) << "cut " << i;
}

TEST(PieceOverlay, CutsAreTheWorkingGridMappedBackOntoThePicture) {
    const std::vector<Case> cases = {
        // Working size equal to the picture: cells of 160 both ways.
        {640, 480, 12, {4, 3}, {640, 480}, 160, 160},
        // 1600 x 1200 works as 1573 x 1180: 4 cells of 393.25 across, 3 rows of 393 whole
        // working pixels down, which leave one working row uncut at the bottom.
        {1600, 1200, 12, {4, 3}, {1573, 1180}, 400, 393 * 1200.0 / 1180},
        // Portrait: 1200 x 1600 works as 885 x 1180; the long side is the height, so the
        // rows are the 4 cells of 295 and the columns the 3 pieces of 295.
        {1200, 1600, 12, {3, 4}, {885, 1180}, 400, 400},
        // A grid with a rejected smaller d before it: 300 x 200 offers 3 x 2 first.
        {300, 200, 6, {3, 2}, {300, 200}, 100, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " " << c.pieceCount);
        const PieceOverlay o = OverlayPieceGrid(c.width, c.height, c.pieceCount);
        EXPECT_EQ(o.grid, c.grid);
        EXPECT_EQ(o.working, c.working);
        expectCuts(o.columnCuts, c.grid.columns, c.pieceWidth);
        expectCuts(o.rowCuts, c.grid.rows, c.pieceHeight);
        EXPECT_NEAR(o.pieceWidth, c.pieceWidth, 1e-6);
        EXPECT_NEAR(o.pieceHeight, c.pieceHeight, 1e-6);
    }
}

TEST(PieceOverlay, NoGridForACountNotOfferedOrARefusedPicture) {
    EXPECT_FALSE(OverlayPieceGrid(640, 480, 13).hasGrid());  // between 12 and 15
    EXPECT_FALSE(OverlayPieceGrid(640, 480, 0).hasGrid());   // nothing chosen yet
    EXPECT_FALSE(OverlayPieceGrid(199, 300, 15).hasGrid());  // its table has 15, but refused
    EXPECT_FALSE(OverlayPieceGrid(20000, 200, 4).hasGrid()); // no grid at all
    EXPECT_FALSE(OverlayPieceGrid(0, 0, 4).hasGrid());
    const PieceOverlay last = OverlayPieceGrid(1024, 1024, 2500);
    EXPECT_EQ(last.grid, (PieceGrid{50, 50}));
    EXPECT_EQ(last.columnCuts.size(), 51u);
}

} // namespace
