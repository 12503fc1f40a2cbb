#include "puzzle/document.h"

#include "support/documents.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

using namespace pdt::puzzle;
using namespace pdt::test;

// A slot's picture is in the current file when it has an offset, else in the attached
// file (native path first), else nowhere; clearing a slot empties only that slot.
// Removing and resetting are checked through the window (main_window_test.cpp and
// main_window_files_test.cpp).
TEST(Document, SlotSourceAndClearImage) {
    Document doc;
    doc.state.currentFilePath = "/sets/a.ADX";
    PatternRecord& r = doc.pattern(0);
    const auto source = [&doc](int slot) {
        const ImageSource s = SlotSource(doc, 0, slot);
        return std::tuple(s.kind, s.file, s.offset, s.size);
    };
    using K = ImageSource::Kind;
    r.puzzleImageSize = 500;
    EXPECT_EQ(source(kPuzzleSlot), std::tuple(K::Empty, "", 0, 500));
    setFieldText(r.puzzleImagePath, "/pics/a.jpg");
    EXPECT_EQ(source(kPuzzleSlot), std::tuple(K::WholeFile, "/pics/a.jpg", 0, 500));
    r.sourceFiles[0] = "/home/作者/a.jpg";
    EXPECT_EQ(source(kPuzzleSlot), std::tuple(K::WholeFile, "/home/作者/a.jpg", 0, 500));
    r.puzzleImageOffset = 1174;
    EXPECT_EQ(source(kPuzzleSlot), std::tuple(K::CurrentFileRange, "/sets/a.ADX", 1174, 500));

    setFieldText(r.finishedImagePath, "/pics/b.jpg");
    r.sourceFiles[1] = "/pics/b.jpg";
    r.finishedImageOffset = 2000;
    r.finishedImageSize = 10;
    PatternRecord expected = r;
    expected.finishedImagePath[0] = '\0';
    expected.finishedImageOffset = 0;
    expected.finishedImageSize = 0;
    expected.sourceFiles[1] = "";
    ClearImage(doc, 0, kFinishedSlot);
    EXPECT_EQ(r, expected);
}

TEST(Document, AppendingAndDuplicatingStopAt200Patterns) {
    Document doc;
    for (int i = 2; i < kMaxPatterns; ++i)
        ASSERT_TRUE(AppendPattern(doc));
    ASSERT_TRUE(DuplicatePattern(doc, 198));
    EXPECT_EQ(doc.patternCount(), 200);
    EXPECT_FALSE(AppendPattern(doc));
    EXPECT_FALSE(DuplicatePattern(doc, 0));
}

// Duplicating and moving patterns, as the list's commands and drags use them.

namespace {

// n patterns told apart by pieceCount (10 + k), each with a comment and a picture file, and
// a leftover slot above them that an earlier deletion marked.
Document documentOf(const TempDir& dir, int n) {
    Document doc = documentWith(dir, std::vector<PictureSizes>(size_t(n), {0, 5}));
    if (n < kMaxPatterns) {
        doc.pattern(n).pieceCount = 2;
        doc.pattern(n).auxWord = 100;
    }
    return doc;
}

// The patterns by their original numbers; a record that is not a whole copy of an
// original shows as -1.
std::vector<int> order(const Document& doc, const Document& original) {
    std::vector<int> v;
    for (int i = 0; i < doc.patternCount(); ++i) {
        const int k = doc.pattern(i).pieceCount - 10;
        v.push_back(k >= 0 && k < original.patternCount() && doc.pattern(i) == original.pattern(k)
                        ? k
                        : -1);
    }
    return v;
}

void expectSlotsAboveUnchanged(const Document& doc, const Document& original, int from) {
    for (int i = from; i < kMaxPatterns; ++i)
        EXPECT_TRUE(doc.pattern(i) == original.pattern(i)) << "slot " << i;
}

} // namespace

TEST(TableOperations, MovingAndDuplicatingKeepWholePatternsAndTheSlotsAbove) {
    const struct {
        std::vector<int> selected;
        int destination;
        std::vector<int> placed; // empty: refused, nothing changes
        std::vector<int> order;
    } cases[] = {{{1, 3}, 0, {0, 1}, {1, 3, 0, 2, 4}},
                 {{0, 1}, 5, {3, 4}, {2, 3, 4, 0, 1}},
                 {{0, 2, 4}, 3, {1, 2, 3}, {1, 0, 2, 4, 3}},
                 {{1}, 2, {1}, {0, 1, 2, 3, 4}},       // onto itself
                 {{1, 2}, 2, {1, 2}, {0, 1, 2, 3, 4}}, // inside the selection
                 {{4}, 0, {0}, {4, 0, 1, 2, 3}},
                 {{2, 1}, 0, {}, {}}, // not increasing
                 {{5}, 0, {}, {}},    // past the last pattern
                 {{1}, 6, {}, {}},    // past the end
                 {{}, 0, {}, {}}};
    TempDir dir;
    const Document original = documentOf(dir, 5);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.selected) + " to " + std::to_string(c.destination));
        Document doc = original;
        EXPECT_EQ(MovePatterns(doc, c.selected, c.destination), c.placed);
        EXPECT_EQ(order(doc, original), c.placed.empty() ? order(original, original) : c.order);
        EXPECT_EQ(doc.state.lastIndex, 4);
        expectSlotsAboveUnchanged(doc, original, 5);
    }

    // A duplicate is a whole copy after its pattern; past the last pattern nothing changes.
    // (Duplicating within the set is checked through the window's list.)
    Document doc = original;
    ASSERT_TRUE(DuplicatePattern(doc, 4));
    EXPECT_EQ(order(doc, original), (std::vector<int>{0, 1, 2, 3, 4, 4}));
    expectSlotsAboveUnchanged(doc, original, 6);
    EXPECT_FALSE(DuplicatePattern(doc, 6));
    EXPECT_EQ(doc.patternCount(), 6);
}
