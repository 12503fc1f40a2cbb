#include "pieces/piece_grids.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using namespace pdt::pieces;
using Outcome = PieceChoices::Outcome;

namespace {

struct Size {
    std::int32_t width;
    std::int32_t height;
};

std::string describe(Size s) {
    return std::to_string(s.width) + " x " + std::to_string(s.height);
}

// "3x2 4x3 ..." for the first `count` entries.
std::string gridList(const PieceGridTable& t, int count) {
    std::ostringstream out;
    for (int i = 0; i < count; ++i)
        out << (i ? " " : "") << t[i].columns << 'x' << t[i].rows;
    return out.str();
}

std::vector<std::int32_t> pieceCounts(const PieceGridTable& t, int count) {
    std::vector<std::int32_t> v;
    for (int i = 0; i < count; ++i)
        v.push_back(t[i].pieceCount());
    return v;
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

const char* const k640x480Grids =
    "3x2 4x3 5x3 6x4 7x5 8x6 9x6 10x7 11x8 12x9 13x9 14x10 15x11 16x12 17x12 18x13 19x14 "
    "20x15 21x15 22x16 23x17 24x18 25x18 26x19 27x20 28x21 29x21 30x22 31x23 32x24";

const std::vector<std::int32_t> k640x480Counts = {6,   12,  15,  24,  35,  48,  54,  70,  88,  108,
                                                  117, 140, 165, 192, 204, 234, 266, 300, 315, 352,
                                                  391, 432, 450, 494, 540, 588, 609, 660, 713, 768};

} // namespace

TEST(NormalisePictureSize, EnlargesSmallAndFitsLargePictures) {
    constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();
    const struct {
        Size decoded;
        Size working;
    } cases[] = {
        {{640, 480}, {640, 480}},
        {{200, 200}, {200, 200}},
        {{1024, 1024}, {1024, 1024}},
        {{2000, 2000}, {1180, 1180}},
        {{1600, 1200}, {1573, 1180}},
        {{3000, 4000}, {884, 1180}},
        {{6000, 1000}, {1579, 263}},
        // The bounding side goes through f too and can end one below its bound.
        {{2120, 1000}, {1579, 745}},
        {{1000, 2172}, {543, 1179}},
        {{1580, 1180}, {1580, 1180}},
        {{1581, 1181}, {1580, 1180}},
        {{20000, 200}, {1580, 15}},
        // Enlarged: the short side is set to exactly 200, never computed.
        {{199, 300}, {200, 301}},
        {{200, 199}, {201, 200}},
        {{150, 100}, {300, 200}},
        {{100, 150}, {200, 300}},
        {{120, 120}, {200, 200}},
        {{0, 500}, {200, 0}},
        {{500, 0}, {0, 200}},
        // Beyond 16 bits: sides keep their true value.
        {{10, 2000}, {200, 40000}},
        {{40000, 30000}, {1573, 1180}},
        {{70000, 300}, {1580, 6}},
        {{1, 20000000}, {200, kInt32Max}},
        {{-5, 300}, {200, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(describe(c.decoded));
        std::int32_t w = c.decoded.width;
        std::int32_t h = c.decoded.height;
        NormalisePictureSize(w, h);
        EXPECT_EQ(w, c.working.width);
        EXPECT_EQ(h, c.working.height);
    }
}

TEST(EnumeratePieceGrids, ListsTheThirtyGridsOf640x480) {
    PieceGridTable t;
    ASSERT_EQ(EnumeratePieceGrids(t, 640, 480), 30);
    // d = 2 is rejected (squareness 0.667), d = 5 passes at exactly 0.8, and d = 32 passes
    // with a cell of exactly 20 pixels.
    EXPECT_EQ(gridList(t, 30), k640x480Grids);
    EXPECT_EQ(pieceCounts(t, 30), k640x480Counts);
    EXPECT_EQ(t[30], PieceGrid{});
}

TEST(EnumeratePieceGrids, APortraitPictureGetsTheGridsTurned) {
    PieceGridTable t;
    ASSERT_EQ(EnumeratePieceGrids(t, 480, 640), 30);
    EXPECT_EQ(pieceCounts(t, 30), k640x480Counts);
    const PieceGridTable landscape = tableOf640x480();
    for (int i = 0; i < 30; ++i) {
        EXPECT_EQ(t[i].columns, landscape[i].rows) << "entry " << i;
        EXPECT_EQ(t[i].rows, landscape[i].columns) << "entry " << i;
    }
}

TEST(EnumeratePieceGrids, SquarePicturesGetSquareGrids) {
    const struct {
        Size working;
        int last;
    } cases[] = {
        {{200, 200}, 10},
        // At d = 50 the product is exactly 2500 and passes; d = 51 (2601) stops the scan.
        {{1024, 1024}, 50},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(describe(c.working));
        PieceGridTable t;
        const int count = EnumeratePieceGrids(t, c.working.width, c.working.height);
        ASSERT_EQ(count, c.last - 1);
        EXPECT_EQ(gridList(t, count), squareGrids(2, c.last));
    }
}

TEST(EnumeratePieceGrids, FirstAndLastGridsOfLargePictures) {
    const struct {
        Size decoded;
        int count;
        PieceGrid first;
        PieceGrid last;
    } cases[] = {
        // d = 58 stops the scan: 58 x 43.509... > 2500.
        {{1600, 1200}, 55, {3, 2}, {57, 42}}, {{40000, 30000}, 55, {3, 2}, {57, 42}},
        {{3000, 4000}, 54, {2, 3}, {42, 57}}, {{6000, 1000}, 62, {7, 1}, {78, 12}},
        {{2000, 2000}, 49, {2, 2}, {50, 50}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(describe(c.decoded));
        PieceGridTable t;
        const PieceChoices r = FillPieceChoices(t, c.decoded.width, c.decoded.height);
        EXPECT_EQ(r.outcome, Outcome::Accepted);
        ASSERT_EQ(r.count, c.count);
        EXPECT_EQ(t[0], c.first);
        EXPECT_EQ(t[c.count - 1], c.last);
    }
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
        SCOPED_TRACE(describe(c.working) + " grid " + std::to_string(c.grid.columns) + "x" +
                     std::to_string(c.grid.rows));
        PieceGridTable t;
        const int count = EnumeratePieceGrids(t, c.working.width, c.working.height);
        const bool found = std::find(t.begin(), t.begin() + count, c.grid) != t.begin() + count;
        EXPECT_EQ(found, c.offered);
    }
}

TEST(EnumeratePieceGrids, AZeroSideLeavesTheTableAsItWas) {
    const Size sizes[] = {{0, 200}, {200, 0}, {0, 0}, {-1, 640}};
    for (const Size s : sizes) {
        SCOPED_TRACE(describe(s));
        PieceGridTable t = tableOf640x480();
        EXPECT_EQ(EnumeratePieceGrids(t, s.width, s.height), 0);
        EXPECT_EQ(t, tableOf640x480());
    }
}

TEST(EnumeratePieceGrids, AnEmptyResultClearsTheWholeTable) {
    // 1580 x 15 has candidates but none with a single cell across the short side.
    PieceGridTable t = tableOf640x480();
    EXPECT_EQ(EnumeratePieceGrids(t, 1580, 15), 0);
    EXPECT_EQ(t, PieceGridTable{});
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

TEST(FillPieceChoices, AcceptsOrRefusesOnTheDecodedSize) {
    const struct {
        Size decoded;
        Outcome outcome;
        int count;
        Size working;
    } cases[] = {
        {{640, 480}, Outcome::Accepted, 30, {640, 480}},
        {{200, 200}, Outcome::Accepted, 9, {200, 200}},
        {{40000, 30000}, Outcome::Accepted, 55, {1573, 1180}},
        // Grids exist for the enlarged working size, but the picture itself is too small.
        {{199, 300}, Outcome::Refused, 10, {200, 301}},
        {{200, 199}, Outcome::Refused, 6, {201, 200}},
        {{150, 100}, Outcome::Refused, 12, {300, 200}},
        {{100, 150}, Outcome::Refused, 12, {200, 300}},
        {{120, 120}, Outcome::Refused, 9, {200, 200}},
        // Both sides at least 200, yet no grid at all.
        {{20000, 200}, Outcome::Refused, 0, {1580, 15}},
        {{70000, 300}, Outcome::Refused, 0, {1580, 6}},
        // Stretched past 16 bits: stays refused.
        {{10, 2000}, Outcome::Refused, 0, {200, 40000}},
        {{1, 20000000}, Outcome::Refused, 0, {200, std::numeric_limits<std::int32_t>::max()}},
        // Sides whose sum leaves the 32-bit range.
        {{std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::max()},
         Outcome::Accepted, 49, {1180, 1180}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(describe(c.decoded));
        PieceGridTable t;
        const PieceChoices r = FillPieceChoices(t, c.decoded.width, c.decoded.height);
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(r.count, c.count);
        EXPECT_EQ(r.working, (WorkingSize{c.working.width, c.working.height}));
    }
}

TEST(FillPieceChoices, ARefusedPictureStillRewritesTheTable) {
    PieceGridTable t = tableOf640x480();
    const PieceChoices r = FillPieceChoices(t, 199, 300);
    EXPECT_EQ(r.outcome, Outcome::Refused);
    ASSERT_EQ(r.count, 10);
    EXPECT_EQ(gridList(t, 10), "3x5 4x7 5x8 5x9 6x10 7x11 7x12 8x13 9x14 9x15");
    EXPECT_EQ(t[10], PieceGrid{});
    // The choice list stays empty, so the next commit stores the smallest of these grids.
    EXPECT_EQ(CommittedPieceCount(t, -1), 15);
}

TEST(FillPieceChoices, AZeroSideIsRefusedWithTheTableUntouched) {
    const struct {
        Size decoded;
        Size working;
    } cases[] = {{{0, 480}, {200, 0}}, {{640, 0}, {0, 200}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(describe(c.decoded));
        PieceGridTable t = tableOf640x480();
        const PieceChoices r = FillPieceChoices(t, c.decoded.width, c.decoded.height);
        EXPECT_EQ(r.outcome, Outcome::Refused);
        EXPECT_EQ(r.count, 0);
        EXPECT_EQ(r.working, (WorkingSize{c.working.width, c.working.height}));
        EXPECT_EQ(t, tableOf640x480());
    }
}

TEST(FillPieceChoices, NothingDecodedReportsNothing) {
    PieceGridTable t = tableOf640x480();
    const PieceChoices r = FillPieceChoices(t, 0, 0);
    EXPECT_EQ(r.outcome, Outcome::NoPicture);
    EXPECT_EQ(r.count, 0);
    EXPECT_EQ(t, tableOf640x480());
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
    for (const auto& c : cases) {
        SCOPED_TRACE("stored " + std::to_string(c.stored) + ", count " + std::to_string(c.count));
        EXPECT_EQ(PreselectIndex(t, c.count, c.stored), c.index);
    }
}

TEST(CommittedPieceCount, TakesTheSelectionOrTheFirstEntry) {
    const PieceGridTable fresh{};
    EXPECT_EQ(CommittedPieceCount(fresh, -1), 0); // before any enumeration

    const PieceGridTable t = tableOf640x480();
    EXPECT_EQ(CommittedPieceCount(t, 3), 24);
    EXPECT_EQ(CommittedPieceCount(t, 29), 768);
    EXPECT_EQ(CommittedPieceCount(t, -1), 6);

    // After an enumeration that found no grid the table holds only {0, 0}.
    PieceGridTable none = tableOf640x480();
    FillPieceChoices(none, 20000, 200);
    EXPECT_EQ(CommittedPieceCount(none, -1), 0);
}

TEST(CommittedPieceCount, AnIndexOutsideTheTableReadsTheFirstEntry) {
    const PieceGridTable t = tableOf640x480();
    EXPECT_EQ(CommittedPieceCount(t, 100), 6);
    EXPECT_EQ(CommittedPieceCount(t, -2), 6);
}

TEST(RefusalMessage, TextAndCaption) {
    EXPECT_EQ(kSmallPictureText,
              "\xE5\xB9\x85\xE3\x83\xBB\xE9\xAB\x98\xE3\x81\x95\xE3\x81\x8C\xEF\xBC\x92\xEF\xBC"
              "\x90\xEF\xBC\x90\xE3\x83\x89\xE3\x83\x83\xE3\x83\x88\xE4\xBB\xA5\xE4\xB8\x8B\xEF"
              "\xBC\xA3\xEF\xBC\xA7\xE3\x81\xAF\xE3\x80\x81\xE8\xA8\xAD\xE5\xAE\x9A\xE3\x81\x99"
              "\xE3\x82\x8B\xE3\x81\x93\xE3\x81\xA8\xE3\x81\x8C\xE5\x87\xBA\xE6\x9D\xA5\xE3\x81"
              "\xBE\xE3\x81\x9B\xE3\x82\x93\xE3\x80\x82");
    EXPECT_EQ(kSmallPictureCaption, "\xE6\x83\x85\xE5\xA0\xB1");
}
