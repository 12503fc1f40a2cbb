#include "puzzle/document.h"

#include <gtest/gtest.h>

#include <vector>

using namespace pdt::puzzle;

namespace {

// A document of n patterns, each recognisable by its pieceCount (10, 11, 12, ...).
Document documentOf(int n) {
    Document doc;
    ResetDocument(doc);
    for (int i = 0; i < n; ++i) {
        if (i > 0) {
            EXPECT_TRUE(AppendPattern(doc));
        }
        doc.pattern(i).pieceCount = std::int16_t(10 + i);
        setFieldText(doc.pattern(i).clearComment, "comment " + std::to_string(i));
    }
    return doc;
}

std::vector<int> order(const Document& doc) {
    std::vector<int> v;
    for (int i = 0; i < doc.patternCount(); ++i)
        v.push_back(doc.pattern(i).pieceCount - 10);
    return v;
}

bool allZero(const PatternRecord& r) { return r == PatternRecord{}; }

} // namespace

TEST(Document, ResetLeavesOneEmptyPatternNamedNew) {
    Document doc = documentOf(5);
    doc.state.dirty = true;
    doc.state.password = "pw";
    doc.state.vendorFlag = 1;
    doc.state.currentPattern = 3;
    doc.state.readyFlag = true;
    ResetDocument(doc);
    EXPECT_EQ(doc.state.lastIndex, 0);
    EXPECT_EQ(doc.state.currentPattern, 0);
    EXPECT_FALSE(doc.state.dirty);
    EXPECT_EQ(doc.state.password, "");
    EXPECT_EQ(doc.state.vendorFlag, 0);
    EXPECT_EQ(doc.state.currentFilePath, "新規.ADX");
    EXPECT_TRUE(doc.state.readyFlag);
    for (const auto& r : doc.table)
        EXPECT_TRUE(allZero(r));
}

TEST(Document, AppendStopsAt200AndKeepsWhatTheSlotHeld) {
    Document doc = documentOf(1);
    doc.pattern(1).auxWord = 100; // a leftover of an earlier deletion
    ASSERT_TRUE(AppendPattern(doc));
    EXPECT_EQ(doc.pattern(1).auxWord, 100);
    while (AppendPattern(doc)) {
    }
    EXPECT_EQ(doc.state.lastIndex, 199);
    EXPECT_EQ(doc.patternCount(), 200);
    EXPECT_FALSE(AppendPattern(doc));
    EXPECT_EQ(doc.state.lastIndex, 199);
}

TEST(Document, RemovingMovesLaterPatternsUpAndMarksTheVacatedSlot) {
    Document doc = documentOf(3);
    RemovePattern(doc, 0);
    EXPECT_EQ(doc.state.lastIndex, 1);
    EXPECT_EQ(order(doc), (std::vector<int>{1, 2}));
    EXPECT_EQ(fieldText(doc.pattern(0).clearComment), "comment 1");
    PatternRecord expected;
    expected.pieceCount = 2;
    expected.auxWord = 100;
    EXPECT_EQ(doc.pattern(2), expected);
    // The next append starts from that slot as it stands.
    ASSERT_TRUE(AppendPattern(doc));
    EXPECT_EQ(doc.pattern(2).pieceCount, 2);
    EXPECT_EQ(doc.pattern(2).auxWord, 100);
}

TEST(Document, RemovingSeveralSelectedPatternsAdjustsTheLaterIndices) {
    Document doc = documentOf(5);
    const int selected[] = {1, 3};
    ASSERT_TRUE(RemovePatterns(doc, selected));
    EXPECT_EQ(order(doc), (std::vector<int>{0, 2, 4}));

    Document other = documentOf(5);
    const int first3[] = {0, 1, 2};
    ASSERT_TRUE(RemovePatterns(other, first3));
    EXPECT_EQ(order(other), (std::vector<int>{3, 4}));
}

TEST(Document, RemovingEveryPatternIsRefusedAndChangesNothing) {
    Document doc = documentOf(3);
    const Document before = doc;
    const int all[] = {0, 1, 2};
    EXPECT_FALSE(RemovePatterns(doc, all));
    EXPECT_EQ(doc.table, before.table);
    EXPECT_EQ(doc.state.lastIndex, 2);
}

TEST(Document, SwapExchangesWholeRecords) {
    Document doc = documentOf(4);
    doc.pattern(2).sourceFiles[0] = "/pics/y.jpg";
    SwapPatterns(doc, 1, 2);
    EXPECT_EQ(order(doc), (std::vector<int>{0, 2, 1, 3}));
    EXPECT_EQ(doc.pattern(1).sourceFiles[0], "/pics/y.jpg");
    EXPECT_EQ(fieldText(doc.pattern(1).clearComment), "comment 2");
}

TEST(Document, ClearImageEmptiesOnlyThatSlot) {
    Document doc = documentOf(1);
    PatternRecord& r = doc.pattern(0);
    setFieldText(r.puzzleImagePath, "C:\\a.jpg");
    setFieldText(r.finishedImagePath, "C:\\b.jpg");
    r.puzzleImageOffset = 1174;
    r.puzzleImageSize = 1000;
    r.finishedImageSize = 2000;
    r.sourceFiles = {"/a.jpg", "/b.jpg"};
    r.rotation = 1;
    ClearImage(doc, 0, kPuzzleSlot);
    EXPECT_EQ(fieldText(r.puzzleImagePath), "");
    EXPECT_EQ(r.puzzleImageOffset, 0);
    EXPECT_EQ(r.puzzleImageSize, 0);
    EXPECT_EQ(r.sourceFiles[0], "");
    EXPECT_EQ(fieldText(r.finishedImagePath), "C:\\b.jpg");
    EXPECT_EQ(r.finishedImageSize, 2000);
    EXPECT_EQ(r.sourceFiles[1], "/b.jpg");
    EXPECT_EQ(r.pieceCount, 10);
    EXPECT_EQ(r.rotation, 1);
}

TEST(Document, SlotSourceFollowsOffsetThenPath) {
    Document doc = documentOf(1);
    doc.state.currentFilePath = "/sets/a.ADX";
    PatternRecord& r = doc.pattern(0);

    EXPECT_EQ(SlotSource(doc, 0, kPuzzleSlot).kind, ImageSource::Kind::Empty);

    // A size without offset or path is still nothing to read.
    r.puzzleImageSize = 500;
    EXPECT_EQ(SlotSource(doc, 0, kPuzzleSlot).kind, ImageSource::Kind::Empty);

    setFieldText(r.puzzleImagePath, "/pics/a.jpg");
    auto s = SlotSource(doc, 0, kPuzzleSlot);
    EXPECT_EQ(s.kind, ImageSource::Kind::WholeFile);
    EXPECT_EQ(s.file, "/pics/a.jpg");
    EXPECT_EQ(s.size, 500);

    // The native path attached in this session wins over the stored field.
    r.sourceFiles[0] = "/home/作者/a.jpg";
    EXPECT_EQ(SlotSource(doc, 0, kPuzzleSlot).file, "/home/作者/a.jpg");

    // A non-zero offset wins over the path: the bytes are in the current file.
    r.puzzleImageOffset = 1174;
    s = SlotSource(doc, 0, kPuzzleSlot);
    EXPECT_EQ(s.kind, ImageSource::Kind::CurrentFileRange);
    EXPECT_EQ(s.file, "/sets/a.ADX");
    EXPECT_EQ(s.offset, 1174);
    EXPECT_EQ(s.size, 500);
}
