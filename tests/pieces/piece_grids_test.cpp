#include "pieces/piece_grids.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

using namespace pdt::pieces;
using Outcome = PieceChoices::Outcome;

namespace {

constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();

struct Size {
    std::int32_t width;
    std::int32_t height;
};

std::string describe(Size s) {
    return std::to_string(s.width) + " x " + std::to_string(s.height);
}

// "3x2 4x3 ..." for the first `count` entries; rows first when `turned`.
std::string gridList(const PieceGridTable& t, int count, bool turned = false) {
    std::string s;
    for (int i = 0; i < count; ++i)
        s += (i ? " " : "") + std::to_string(turned ? t[i].rows : t[i].columns) + 'x' +
             std::to_string(turned ? t[i].columns : t[i].rows);
    return s;
}

std::string squareGrids(int from, int to) {
    std::string s;
    for (int k = from; k <= to; ++k)
        s += (k > from ? " " : "") + std::to_string(k) + 'x' + std::to_string(k);
    return s;
}

PieceGridTable tableOf640x480() {
    PieceGridTable t;
    EnumeratePieceGrids(t, 640, 480);
    return t;
}

} // namespace

// Each picture and its mirror image: the mirror gets the same grids turned (a square is its
// own mirror image).
TEST(FillPieceChoices, ListsEveryGridOfTheWorkedExamples) {
    const struct {
        Size decoded;
        std::string grids;
    } cases[] = {
        // d = 2 is rejected (squareness 0.667), d = 5 passes at exactly 0.8, and d = 32
        // passes with a cell of exactly 20 pixels.
        {{640, 480},
         "3x2 4x3 5x3 6x4 7x5 8x6 9x6 10x7 11x8 12x9 13x9 14x10 15x11 16x12 17x12 18x13 19x14 "
         "20x15 21x15 22x16 23x17 24x18 25x18 26x19 27x20 28x21 29x21 30x22 31x23 32x24"},
        {{200, 200}, squareGrids(2, 10)},
        // At d = 50 the product is exactly 2500 and passes; d = 51 (2601) stops the scan.
        {{1024, 1024}, squareGrids(2, 50)},
        // These come out differently when a quotient or product is formed in another order
        // (across as short * d / long, the product as short * d * d / long, squareness via
        // long). 225 / (225 / 7) is just below 7: six pieces across, not seven.
        {{225, 225}, squareGrids(2, 6) + " 7x6 " + squareGrids(8, 11)},
        // The same at d = 31; 50 x (1004 / 20.08) lands just above 2500: no 50 x 50.
        {{1004, 1004}, squareGrids(2, 30) + " 31x30 " + squareGrids(32, 49)},
        // 52.8 / 66 lands just below 0.8: no 5 x 3.
        {{264, 200}, "3x2 4x3 6x4 7x5 8x6 9x6 10x7 11x8 12x9 13x9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(describe(c.decoded));
        PieceGridTable t;
        const int count = FillPieceChoices(t, c.decoded.width, c.decoded.height).count;
        EXPECT_EQ(gridList(t, count), c.grids);
        EXPECT_EQ(t[count], PieceGrid{});
        const int mirrored = FillPieceChoices(t, c.decoded.height, c.decoded.width).count;
        EXPECT_EQ(gridList(t, mirrored, c.decoded.width != c.decoded.height), c.grids);
    }
}

// The working size, the decision and the number of grids. Refusal is judged on the decoded
// size; a picture with a zero side (or nothing decoded) leaves the table as it was.
TEST(FillPieceChoices, NormalisesThenAcceptsOrRefuses) {
    const Outcome A = Outcome::Accepted;
    const Outcome R = Outcome::Refused;
    const struct {
        Size decoded;
        Size working;
        Outcome outcome;
        int count;
    } cases[] = {
        {{2000, 2000}, {1180, 1180}, A, 49},
        // d = 58 stops the scan: 58 x 43.509... > 2500.
        {{1600, 1200}, {1573, 1180}, A, 55},
        {{3000, 4000}, {884, 1180}, A, 54},
        {{6000, 1000}, {1579, 263}, A, 62},    // the bounding side can end one below its bound
        {{40000, 30000}, {1573, 1180}, A, 55}, // beyond 16 bits sides keep their value
        {{kInt32Max, kInt32Max}, {1180, 1180}, A, 49},
        // Enlarged: the short side is set to exactly 200. Grids exist for the working size,
        // but the picture itself is too small.
        {{200, 199}, {201, 200}, R, 6},
        {{150, 100}, {300, 200}, R, 12},
        {{120, 120}, {200, 200}, R, 9},
        {{1, 20000000}, {200, kInt32Max}, R, 0}, // stretched past 32 bits: saturated
        {{0, 480}, {200, 0}, R, 0},
        {{640, 0}, {0, 200}, R, 0},
        {{-5, 300}, {200, 0}, R, 0},
        {{0, 0}, {0, 0}, Outcome::NoPicture, 0},
    };
    const PieceGridTable stale = tableOf640x480();
    for (const auto& c : cases) {
        SCOPED_TRACE(describe(c.decoded));
        PieceGridTable t = stale;
        const PieceChoices r = FillPieceChoices(t, c.decoded.width, c.decoded.height);
        EXPECT_EQ(r.working, (WorkingSize{c.working.width, c.working.height}));
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(r.count, c.count);
        if (c.working.width == 0 || c.working.height == 0) {
            EXPECT_EQ(t, stale);
        } else {
            EXPECT_TRUE(std::all_of(t.begin() + r.count, t.end(),
                                    [](PieceGrid g) { return g == PieceGrid{}; }));
        }
    }
}

// The entry preselected for a stored count, and the count committed for a selection, where
// no stored count or selection fits (the others are checked through the window,
// main_window_pictures_test.cpp): entry 0, and entry 0's count.
TEST(PieceChoiceList, PreselectsTheStoredCountAndCommitsTheSelection) {
    const PieceGridTable t = tableOf640x480();
    EXPECT_EQ(PreselectIndex(t, 30, 768), 29);
    for (const std::int16_t stored : {0, 7, -1}) // 7: not offered; -1: read as 65535
        EXPECT_EQ(PreselectIndex(t, 30, stored), 0) << stored;
    EXPECT_EQ(PreselectIndex(t, 2, 15), 0) << "beyond the offered entries";
    for (const int selected : {-1, 100})
        EXPECT_EQ(CommittedPieceCount(t, selected), 6) << selected;
}
