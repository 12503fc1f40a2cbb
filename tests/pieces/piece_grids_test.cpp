#include "pieces/piece_grids.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
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

// Each picture and its mirror image: the mirror gets the same grids turned.
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
        // Refused, yet the table holds the grids of the enlarged 200 x 301.
        {{199, 300}, "3x5 4x7 5x8 5x9 6x10 7x11 7x12 8x13 9x14 9x15"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(describe(c.decoded));
        PieceGridTable t;
        const int count = FillPieceChoices(t, c.decoded.width, c.decoded.height).count;
        EXPECT_EQ(gridList(t, count), c.grids);
        EXPECT_EQ(t[count], PieceGrid{});
        const int mirrored = FillPieceChoices(t, c.decoded.height, c.decoded.width).count;
        EXPECT_EQ(gridList(t, mirrored, true), c.grids);
    }
}

// The working size, the decision and the grids found. Refusal is judged on the decoded
// size; a picture with a zero side (or nothing decoded) leaves the table as it was.
TEST(FillPieceChoices, NormalisesThenAcceptsOrRefuses) {
    const Outcome A = Outcome::Accepted;
    const Outcome R = Outcome::Refused;
    const struct {
        Size decoded;
        Size working;
        Outcome outcome;
        int count; // -1: any
        PieceGrid first{};
        PieceGrid last{};
    } cases[] = {
        {{640, 480}, {640, 480}, A, 30},
        {{200, 200}, {200, 200}, A, 9},
        {{1024, 1024}, {1024, 1024}, A, 49},
        {{2000, 2000}, {1180, 1180}, A, 49, {2, 2}, {50, 50}},
        // d = 58 stops the scan: 58 x 43.509... > 2500.
        {{1600, 1200}, {1573, 1180}, A, 55, {3, 2}, {57, 42}},
        {{3000, 4000}, {884, 1180}, A, 54, {2, 3}, {42, 57}},
        {{6000, 1000}, {1579, 263}, A, 62, {7, 1}, {78, 12}},
        // The bounding side goes through f too and can end one below its bound.
        {{2120, 1000}, {1579, 745}, A, -1},
        {{1000, 2172}, {543, 1179}, A, -1},
        {{1580, 1180}, {1580, 1180}, A, -1},
        {{1581, 1181}, {1580, 1180}, A, -1},
        // Beyond 16 bits sides keep their true value; a sum beyond 32 bits does no harm.
        {{40000, 30000}, {1573, 1180}, A, 55, {3, 2}, {57, 42}},
        {{kInt32Max, kInt32Max}, {1180, 1180}, A, 49},
        // Enlarged: the short side is set to exactly 200, never computed. Grids exist for
        // the working size, but the picture itself is too small.
        {{199, 300}, {200, 301}, R, 10},
        {{200, 199}, {201, 200}, R, 6},
        {{150, 100}, {300, 200}, R, 12},
        {{100, 150}, {200, 300}, R, 12},
        {{120, 120}, {200, 200}, R, 9},
        // Both sides at least 200, yet no grid at all.
        {{20000, 200}, {1580, 15}, R, 0},
        {{70000, 300}, {1580, 6}, R, 0},
        // Stretched past 16 bits, or past 32 bits (saturated): stays refused.
        {{10, 2000}, {200, 40000}, R, 0},
        {{1, 20000000}, {200, kInt32Max}, R, 0},
        // A zero or negative side keeps a zero side, so no grid.
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
        if (c.count >= 0) {
            ASSERT_EQ(r.count, c.count);
        }
        if (c.working.width == 0 || c.working.height == 0) {
            EXPECT_EQ(t, stale);
        } else {
            EXPECT_TRUE(std::all_of(t.begin() + r.count, t.end(),
                                    [](PieceGrid g) { return g == PieceGrid{}; }));
        }
        if (c.first != PieceGrid{}) {
            EXPECT_EQ(t[0], c.first);
            EXPECT_EQ(t[c.count - 1], c.last);
        }

        if (c.outcome != Outcome::NoPicture) {
            std::int32_t w = c.decoded.width;
            std::int32_t h = c.decoded.height;
            NormalisePictureSize(w, h);
            EXPECT_EQ((WorkingSize{w, h}), r.working);
        }
    }
    PieceGridTable t = stale;
    EXPECT_EQ(EnumeratePieceGrids(t, -1, 640), 0);
    EXPECT_EQ(t, stale);
}

// Each of these comes out differently when a quotient or product is formed in another order
// (across as short * d / long, the product as short * d * d / long, squareness via long).
TEST(EnumeratePieceGrids, FollowsTheOrderOfOperationsAtBoundaries) {
    const struct {
        Size working;
        PieceGrid grid;
        bool offered;
    } cases[] = {
        // 225 / (225 / 7) is just below 7: six pieces across, not seven.
        {{225, 225}, {7, 6}, true},
        {{225, 225}, {7, 7}, false},
        {{1180, 1180}, {14, 13}, true},
        {{1180, 1180}, {14, 14}, false},
        // 50 x (1004 / 20.08) lands just above 2500: the scan stops before 50 x 50.
        {{1004, 1004}, {49, 49}, true},
        {{1004, 1004}, {50, 50}, false},
        // 52.8 / 66 lands just below 0.8.
        {{264, 200}, {5, 3}, false},
        {{264, 200}, {6, 4}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(describe(c.working) + " grid " + gridList({c.grid}, 1));
        PieceGridTable t;
        const int count = EnumeratePieceGrids(t, c.working.width, c.working.height);
        EXPECT_EQ(std::find(t.begin(), t.begin() + count, c.grid) != t.begin() + count, c.offered);
    }
}

TEST(EnumeratePieceGrids, InvariantsHoldForRandomPictures) {
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<int> side(1, 6000);
    for (int k = 0; k < 4000; ++k) {
        const int dw = side(rng);
        const int dh = side(rng);
        std::int32_t w = dw;
        std::int32_t h = dh;
        NormalisePictureSize(w, h);
        SCOPED_TRACE(describe({dw, dh}) + " working " + describe({w, h}));

        PieceGridTable t;
        t.fill(PieceGrid{7, 7}); // stale content must not survive
        const int count = EnumeratePieceGrids(t, w, h);
        ASSERT_GE(count, 0);
        ASSERT_LE(count, 99);

        const std::int32_t longSide = std::max(w, h);
        const std::int32_t shortSide = std::min(w, h);
        for (int i = 0; i < count; ++i) {
            const PieceGrid g = t[i];
            EXPECT_LE(g.pieceCount(), kMaxPieceCount);
            if (i > 0) {
                EXPECT_LT(t[i - 1].pieceCount(), g.pieceCount());
            }
            // Pieces along the long side, laid out along the picture's longer side.
            const int d = w < h ? g.rows : g.columns;
            const int n = w < h ? g.columns : g.rows;
            ASSERT_GE(n, 1);
            EXPECT_LE(n, d);
            const double cell = double(longSide) / d;
            const double pieceSide = double(shortSide / n);
            EXPECT_GE(cell, 20.0);
            EXPECT_GE(std::min(cell, pieceSide) / std::max(cell, pieceSide), 0.8)
                << "entry " << i << ": " << g.columns << "x" << g.rows;
        }
        for (int i = count; i < kPieceGridTableSize; ++i)
            EXPECT_EQ(t[i], PieceGrid{}) << "entry " << i;
    }
}

TEST(PreselectIndex, FindsTheStoredCountAmongTheOffered) {
    const PieceGridTable t = tableOf640x480();
    const struct {
        std::int16_t stored;
        int count;
        int index;
    } cases[] = {
        {6, 30, 0},    {15, 30, 2}, {768, 30, 29}, {0, 30, 0}, // never chosen
        {7, 30, 0},                                            // not a count this picture offers
        {2500, 30, 0},                                         // offered by another picture only
        {-1, 30, 0},                                           // read as 65535, not as -1
        {15, 2, 0},                                            // beyond the offered entries
        {15, 0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PreselectIndex(t, c.count, c.stored), c.index)
            << "stored " << c.stored << ", count " << c.count;
}

// The selected entry's count, or entry 0's when nothing (or no valid index) is selected.
TEST(CommittedPieceCount, TakesTheSelectionOrTheFirstEntry) {
    PieceGridTable none = tableOf640x480();
    FillPieceChoices(none, 20000, 200); // no grid: the table holds only {0, 0}
    PieceGridTable refused;
    FillPieceChoices(refused, 199, 300);
    const struct {
        PieceGridTable table;
        int selected;
        int count;
    } cases[] = {
        {PieceGridTable{}, -1, 0}, // before any enumeration
        {tableOf640x480(), 3, 24},  {tableOf640x480(), 29, 768}, {tableOf640x480(), -1, 6},
        {tableOf640x480(), 100, 6}, {tableOf640x480(), -2, 6},   {none, -1, 0},
        {refused, -1, 15}, // a refused picture's choice list stays empty
    };
    for (const auto& c : cases)
        EXPECT_EQ(CommittedPieceCount(c.table, c.selected), c.count)
            << gridList(c.table, 1) << ", selected " << c.selected;
}
