#include "app/main_window.h"

#include "window_driver.h"

#include <gtest/gtest.h>

using namespace pdt;
using namespace pdt::test;
using app::DialogVariant;

namespace {

QString entry(int n) {
    return QString::asprintf("%3d ﾊﾟﾀｰﾝ", n);
}

// What a reset leaves: one empty pattern in a document named "新規.ADX", nothing to save.
void expectFreshDocument(const EditorWindow& w) {
    EXPECT_EQ(w.entries(), std::vector<QString>{QString::fromUtf8("  1 ﾊﾟﾀｰﾝ")});
    EXPECT_EQ(w.selectedRows(), std::vector<int>{0});
    EXPECT_EQ(w.state().currentFilePath, "新規.ADX");
    EXPECT_FALSE(w.state().dirty);
    EXPECT_TRUE(w.state().readyFlag);
    EXPECT_EQ(w.state().lastIndex, 0);
    EXPECT_EQ(w.state().currentPattern, 0);
    EXPECT_EQ(w.storedClearComment(0), "");
    EXPECT_EQ(w.clearComment()->toPlainText(), "");
    EXPECT_EQ(w.password()->text(), "");
    EXPECT_FALSE(w.rotation()->isChecked());
    EXPECT_EQ(w.minPieces()->count(), 0);
}

} // namespace

TEST(MainWindow, StartsAsOneEmptyPatternAndNewDiscardsEditsWithoutAQuestion) {
    EditorWindow w;
    expectFreshDocument(w);
    EXPECT_EQ(w.title(), QString::fromUtf8("パズルデータ作成ツール Ver2.0"));
    EXPECT_EQ(w.window->minimumSize(), w.window->maximumSize()) << "the window is not resizable";
    EXPECT_FALSE(w.window->windowIcon().pixmap(32, 32).isNull());

    w.makePatterns({"A", "B"});
    w.typeInto(w.password(), "pw");
    QTest::mouseClick(w.rotation(), Qt::LeftButton);
    ASSERT_TRUE(w.state().dirty);
    w.trigger("IDM_NEW");
    expectFreshDocument(w);
    EXPECT_TRUE(w.prompts.questions.empty());
    EXPECT_TRUE(w.prompts.messages.empty());
}

TEST(MainWindow, SelectingWithTheMouseStoresTheShownPatternBeforeShowingTheNext) {
    EditorWindow w;
    w.click("IDC_ADD_PATTERN"); // pattern 2, now shown
    w.clickRow(0);
    ASSERT_EQ(w.state().currentPattern, 0);

    // What the piece-count choices hold for the picture shown: 2 x 2 and 3 x 4.
    w.window->pieceGridChoices()[0] = {2, 2};
    w.window->pieceGridChoices()[1] = {3, 4};
    w.minPieces()->addItems({"4", "12"});
    w.minPieces()->setCurrentIndex(1);
    w.typeInto(w.clearComment(), QString::fromUtf8("完成です\nok"));
    w.typeInto(w.finishComment(), QString::fromUtf8("おわり"));
    QTest::mouseClick(w.rotation(), Qt::LeftButton);

    w.clickRow(1);

    const puzzle::PatternRecord& first = w.doc().pattern(0);
    EXPECT_EQ(puzzle::fieldText(first.clearComment), cp932("完成です\r\nok"));
    EXPECT_EQ(puzzle::fieldText(first.finishComment), cp932("おわり"));
    EXPECT_EQ(first.rotation, 1);
    EXPECT_EQ(first.pieceCount, 12);
    // Nothing leaked into the pattern shown next, and its own details are on screen.
    const puzzle::PatternRecord& second = w.doc().pattern(1);
    EXPECT_EQ(puzzle::fieldText(second.clearComment), "");
    EXPECT_EQ(second.rotation, 0);
    EXPECT_EQ(w.state().currentPattern, 1);
    EXPECT_EQ(w.clearComment()->toPlainText(), "");
    EXPECT_FALSE(w.rotation()->isChecked());

    w.clickRow(0);
    EXPECT_EQ(w.clearComment()->toPlainText(), QString::fromUtf8("完成です\nok"));
    EXPECT_EQ(w.finishComment()->toPlainText(), QString::fromUtf8("おわり"));
    EXPECT_TRUE(w.rotation()->isChecked());
}

TEST(MainWindow, AddingStopsAtTwoHundredPatterns) {
    EditorWindow w;
    for (int i = 1; i < puzzle::kMaxPatterns; ++i)
        QTest::mouseClick(w.find<QPushButton>("IDC_ADD_PATTERN"), Qt::LeftButton);
    settle();
    ASSERT_EQ(w.list()->count(), 200);
    EXPECT_EQ(w.state().lastIndex, 199);
    EXPECT_EQ(w.selectedRows(), std::vector<int>{199});
    EXPECT_EQ(w.state().currentPattern, 199);

    w.click("IDC_ADD_PATTERN");
    EXPECT_EQ(w.list()->count(), 200);
    EXPECT_EQ(w.state().lastIndex, 199);
    const ShownMessage limit{"パターンは２００個までしか追加できません。", "情報",
                             puzzle::MessageIcon::Information, "PZ_BIND"};
    EXPECT_EQ(w.prompts.messages, std::vector<ShownMessage>{limit});
    EXPECT_EQ(w.list()->item(0)->text(), QString::fromUtf8("  1 ﾊﾟﾀｰﾝ"));
    EXPECT_EQ(w.list()->item(9)->text(), QString::fromUtf8(" 10 ﾊﾟﾀｰﾝ"));
    EXPECT_EQ(w.list()->item(199)->text(), QString::fromUtf8("200 ﾊﾟﾀｰﾝ"));
}

TEST(MainWindow, DeletingKeepsOnePatternAndSelectsTheFirstEntry) {
    EditorWindow w;
    w.click("IDC_DELETE_PATTERN");
    EXPECT_EQ(w.list()->count(), 1);

    w.makePatterns({"A", "B", "C", "D", "E"});
    w.list()->setFocus();
    QTest::keyClick(w.list(), Qt::Key_A, Qt::ControlModifier);
    settle();
    ASSERT_EQ(w.selectedRows(), (std::vector<int>{0, 1, 2, 3, 4}));
    w.click("IDC_DELETE_PATTERN");
    EXPECT_EQ(w.storedClearComments(), (std::vector<std::string>{"A", "B", "C", "D", "E"}))
        << "deleting every pattern is refused";

    w.clickRow(1);
    w.clickRow(3, Qt::ControlModifier);
    ASSERT_EQ(w.selectedRows(), (std::vector<int>{1, 3}));
    w.click("IDC_DELETE_PATTERN");
    EXPECT_EQ(w.storedClearComments(), (std::vector<std::string>{"A", "C", "E"}));
    EXPECT_EQ(w.entries(), (std::vector<QString>{entry(1), entry(2), entry(3)}));
    EXPECT_EQ(w.selectedRows(), std::vector<int>{0});
    EXPECT_EQ(w.state().currentPattern, 0);
    EXPECT_EQ(w.clearComment()->toPlainText(), "A");

    // A click below the last entry selects nothing away: delete still has a pattern to act on.
    QListWidget* l = w.list();
    QTest::mouseClick(l->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(4, l->viewport()->height() - 4));
    settle();
    EXPECT_EQ(w.selectedRows(), std::vector<int>{0});
    // The vacated slot is what a deletion leaves.
    EXPECT_EQ(w.doc().pattern(3).pieceCount, 2);
    EXPECT_EQ(w.doc().pattern(3).auxWord, 100);
}

TEST(MainWindow, MovingAndDeletingStoreWhatWasTypedFirst) {
    struct Case {
        const char* button;
        std::vector<std::string> order; // stored comments afterwards
        int shown;                      // the pattern whose comment is on screen
    };
    const Case cases[] = {
        {"IDC_MOVE_DOWN", {"B", "typed", "C"}, 1},
        {"IDC_MOVE_UP", {"typed", "A", "C"}, 0},
        {"IDC_DELETE_PATTERN", {"A", "C"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        EditorWindow w;
        w.makePatterns({"A", "B", "C"});
        const int row = std::string(c.button) == "IDC_MOVE_DOWN" ? 0 : 1;
        w.clickRow(row);
        w.typeInto(w.clearComment(), "typed");
        w.click(c.button);
        EXPECT_EQ(w.storedClearComments(), c.order);
        EXPECT_EQ(w.clearComment()->toPlainText().toStdString(), c.order[size_t(c.shown)]);
        EXPECT_EQ(w.state().currentPattern, c.shown);
    }
}

TEST(MainWindow, MovingSelectedPatternsKeepsThemSelected) {
    struct Case {
        const char* button;
        std::vector<int> select;
        std::vector<std::string> order;
        std::vector<int> selectedAfter;
    };
    const Case cases[] = {
        {"IDC_MOVE_UP", {2, 3}, {"W", "Y", "Z", "X"}, {1, 2}},
        {"IDC_MOVE_DOWN", {0, 1}, {"Y", "W", "X", "Z"}, {1, 2}},
        {"IDC_MOVE_UP", {0, 2}, {"W", "X", "Y", "Z"}, {0, 2}},   // entry 0 among them
        {"IDC_MOVE_DOWN", {1, 3}, {"W", "X", "Y", "Z"}, {1, 3}}, // the last among them
        {"IDC_MOVE_UP", {1, 3}, {"X", "W", "Z", "Y"}, {0, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.button) + " " + std::to_string(c.select.front()));
        EditorWindow w;
        w.makePatterns({"W", "X", "Y", "Z"});
        w.clickRow(c.select[0]);
        for (size_t i = 1; i < c.select.size(); ++i)
            w.clickRow(c.select[i], Qt::ControlModifier);
        ASSERT_EQ(w.selectedRows(), c.select);
        w.click(c.button);
        EXPECT_EQ(w.storedClearComments(), c.order);
        EXPECT_EQ(w.selectedRows(), c.selectedAfter);
        EXPECT_EQ(w.entries(), (std::vector<QString>{entry(1), entry(2), entry(3), entry(4)}));
        // The pattern shown is the one at the caret, and it is the one on screen.
        const int caret = w.list()->currentRow();
        EXPECT_EQ(w.state().currentPattern, caret);
        EXPECT_EQ(w.clearComment()->toPlainText().toStdString(), c.order[size_t(caret)]);
    }
}

TEST(MainWindow, ClosingAsksOnlyAfterAnEditNotification) {
    {
        EditorWindow w;
        w.clickRow(0);
        w.click("IDC_MOVE_UP");
        EXPECT_TRUE(w.window->close());
        EXPECT_TRUE(w.prompts.questions.empty());
    }
    // Focus alone counts, for each of the three edits; so does the rotation box.
    for (const char* name : {"IDC_CLEAR_COMMENT", "IDC_FINISH_COMMENT", "IDC_PASSWORD", ""}) {
        SCOPED_TRACE(name);
        EditorWindow w;
        if (*name) {
            w.find<QWidget>(name)->setFocus();
        } else {
            QTest::mouseClick(w.rotation(), Qt::LeftButton);
        }
        settle();
        EXPECT_TRUE(w.state().dirty);
        w.prompts.answers = {false, true};
        EXPECT_FALSE(w.window->close());
        EXPECT_TRUE(w.window->isVisible());
        ASSERT_EQ(w.prompts.questions.size(), 1u);
        const app::Question& q = w.prompts.questions[0];
        EXPECT_EQ(q.text, "このプログラムを終了しますか？");
        EXPECT_EQ(q.caption, "終了");
        EXPECT_EQ(q.icon, puzzle::MessageIcon::Information);
        EXPECT_FALSE(q.yesIsDefault);
        EXPECT_TRUE(w.window->close());
        EXPECT_FALSE(w.window->isVisible());
    }
    // The exit command asks the same question, only when there are unsaved changes.
    EditorWindow w;
    w.typeInto(w.clearComment(), "unsaved");
    ASSERT_TRUE(w.state().dirty);
    w.prompts.answers = {false};
    w.trigger("IDM_EXIT");
    EXPECT_TRUE(w.window->isVisible());
    ASSERT_EQ(w.prompts.questions.size(), 1u);
    EXPECT_EQ(w.prompts.questions[0].text, "このプログラムを終了しますか？");
    EXPECT_FALSE(w.prompts.questions[0].yesIsDefault);
    w.prompts.answers = {true};
    w.trigger("IDM_EXIT");
    EXPECT_FALSE(w.window->isVisible());
    EditorWindow clean;
    clean.trigger("IDM_EXIT");
    EXPECT_FALSE(clean.window->isVisible());
    EXPECT_TRUE(clean.prompts.questions.empty());
}

TEST(MainWindow, VendorBoxAndFlagAgreeAfterEveryClick) {
    EditorWindow w(DialogVariant::PZ_BIND2);
    auto* box = w.find<QCheckBox>("IDC_VENDOR_INFO");
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(w.state().vendorFlag, 0);
    for (int click = 1; click <= 3; ++click) {
        QTest::mouseClick(box, Qt::LeftButton);
        EXPECT_EQ(w.state().vendorFlag, box->isChecked() ? 1 : 0);
        EXPECT_EQ(box->isChecked(), click % 2 == 1);
    }
    EXPECT_TRUE(w.state().dirty);
    w.trigger("IDM_NEW");
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(w.state().vendorFlag, 0);
}

TEST(MainWindow, ChoosingAPieceCountStoresIt) {
    EditorWindow w;
    w.window->pieceGridChoices()[0] = {2, 2};
    w.window->pieceGridChoices()[1] = {5, 4};
    w.minPieces()->addItems({"4", "20"});
    w.minPieces()->setCurrentIndex(0);
    // Choosing an entry with the keyboard is a user's choice like a click.
    w.minPieces()->setFocus();
    QTest::keyClick(w.minPieces(), Qt::Key_Down);
    settle();
    EXPECT_EQ(w.doc().pattern(0).pieceCount, 20);
    EXPECT_TRUE(w.state().dirty);
}
