#include "puzzle/document.h"

#include <gtest/gtest.h>

using namespace pdt::puzzle;

// A slot's picture is in the current file when it has an offset, else in the attached
// file (native path first), else nowhere; clearing a slot empties only that slot.
// Removing and resetting are checked through the window (main_window_test.cpp).
TEST(Document, SlotSourceAndClearImage) {
    Document doc;
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

TEST(Document, AppendingAndDuplicatingStopAt200Patterns) {
    Document doc;
    for (int i = 2; i < kMaxPatterns; ++i)
        ASSERT_TRUE(AppendPattern(doc));
    ASSERT_TRUE(DuplicatePattern(doc, 198));
    EXPECT_EQ(doc.patternCount(), 200);
    EXPECT_FALSE(AppendPattern(doc));
    EXPECT_FALSE(DuplicatePattern(doc, 0));
}
