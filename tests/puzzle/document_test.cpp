#include "puzzle/document.h"
#include "support/documents.h"

#include <gtest/gtest.h>

#include <vector>

using namespace pdt::puzzle;
using pdt::test::expectSameDocument;

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

} // namespace

TEST(Document, ResetLeavesOneEmptyPatternNamedNewAndKeepsReadyFlag) {
    Document doc = documentOf(5);
    doc.state = {4, 3, true, "pw", 1, "/x.ADX", true};
    ResetDocument(doc);
    Document expected;
    expected.state = {0, 0, false, "", 0, "新規.ADX", true};
    expectSameDocument(doc, expected);
}

TEST(Document, AppendStopsAt200AndKeepsWhatTheSlotHeld) {
    Document doc = documentOf(1);
    doc.pattern(1).auxWord = 100; // a leftover of an earlier deletion
    ASSERT_TRUE(AppendPattern(doc));
    EXPECT_EQ(doc.pattern(1).auxWord, 100);
    while (AppendPattern(doc)) {
    }
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
    PatternRecord vacated;
    vacated.pieceCount = 2;
    vacated.auxWord = 100;
    EXPECT_EQ(doc.pattern(2), vacated);
    // The next append starts from that slot as it stands.
    ASSERT_TRUE(AppendPattern(doc));
    EXPECT_EQ(doc.pattern(2), vacated);

    // Several selected patterns; removing every one is refused and changes nothing.
    const struct {
        std::vector<int> selected;
        std::vector<int> left;
    } cases[] = {{{1, 3}, {0, 2, 4}}, {{0, 1, 2}, {3, 4}}, {{0, 1, 2, 3, 4}, {0, 1, 2, 3, 4}}};
    for (const auto& c : cases) {
        Document five = documentOf(5);
        const Document before = five;
        EXPECT_EQ(RemovePatterns(five, c.selected), c.selected.size() < 5);
        EXPECT_EQ(order(five), c.left);
        if (c.selected.size() == 5) {
            EXPECT_EQ(five.table, before.table);
        }
    }
}

TEST(Document, SwapExchangesWholeRecords) {
    Document doc = documentOf(4);
    doc.pattern(2).sourceFiles[0] = "/pics/y.jpg";
    const PatternRecord second = doc.pattern(2);
    SwapPatterns(doc, 1, 2);
    EXPECT_EQ(order(doc), (std::vector<int>{0, 2, 1, 3}));
    EXPECT_EQ(doc.pattern(1), second);
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
    PatternRecord expected = r;
    expected.puzzleImageOffset = 0;
    expected.puzzleImageSize = 0;
    expected.sourceFiles[0] = "";
    ClearImage(doc, 0, kPuzzleSlot);
    EXPECT_EQ(fieldText(r.puzzleImagePath), "");
    expected.puzzleImagePath = r.puzzleImagePath;
    EXPECT_EQ(r, expected);
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
