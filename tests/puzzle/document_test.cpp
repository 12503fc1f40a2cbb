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
        if (i > 0)
            AppendPattern(doc);
        doc.pattern(i).pieceCount = std::int16_t(10 + i);
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

// Appending stops at 200; removing moves later patterns up and marks the vacated slot,
// which the next append takes as it stands; removing every pattern is refused.
TEST(Document, AppendAndRemove) {
    Document doc = documentOf(200);
    EXPECT_FALSE(AppendPattern(doc));
    EXPECT_EQ(doc.state.lastIndex, 199);

    PatternRecord vacated;
    vacated.pieceCount = 2;
    vacated.auxWord = 100;
    Document three = documentOf(3);
    RemovePattern(three, 0);
    EXPECT_EQ(order(three), (std::vector<int>{1, 2}));
    ASSERT_TRUE(AppendPattern(three));
    EXPECT_EQ(three.pattern(2), vacated);

    const struct {
        std::vector<int> selected;
        std::vector<int> left;
    } cases[] = {{{1, 3}, {0, 2, 4}}, {{0, 1, 2}, {3, 4}}, {{0, 1, 2, 3, 4}, {0, 1, 2, 3, 4}}};
    for (const auto& c : cases) {
        Document five = documentOf(5);
        EXPECT_EQ(RemovePatterns(five, c.selected), c.selected.size() < 5);
        EXPECT_EQ(order(five), c.left);
    }
}

// A slot's picture is in the current file when it has an offset, else in the attached
// file (native path first), else nowhere; clearing a slot empties only that slot.
TEST(Document, SlotSourceAndClearImage) {
    Document doc = documentOf(1);
    doc.state.currentFilePath = "/sets/a.ADX";
    PatternRecord& r = doc.pattern(0);
    r.puzzleImageSize = 500;
    EXPECT_EQ(SlotSource(doc, 0, kPuzzleSlot).kind, ImageSource::Kind::Empty);
    setFieldText(r.puzzleImagePath, "/pics/a.jpg");
    EXPECT_EQ(SlotSource(doc, 0, kPuzzleSlot).file, "/pics/a.jpg");
    r.sourceFiles[0] = "/home/作者/a.jpg";
    EXPECT_EQ(SlotSource(doc, 0, kPuzzleSlot).kind, ImageSource::Kind::WholeFile);
    EXPECT_EQ(SlotSource(doc, 0, kPuzzleSlot).file, "/home/作者/a.jpg");
    r.puzzleImageOffset = 1174;
    const ImageSource s = SlotSource(doc, 0, kPuzzleSlot);
    EXPECT_EQ(s.kind, ImageSource::Kind::CurrentFileRange);
    EXPECT_EQ(s.file, "/sets/a.ADX");
    EXPECT_EQ(s.offset, 1174);
    EXPECT_EQ(s.size, 500);

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
