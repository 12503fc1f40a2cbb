#include "app/main_window.h"

#include "window_driver.h"

#include <gtest/gtest.h>

using namespace pdt;
using namespace pdt::test;

// Selecting another entry with the mouse, moves and deletes store what was typed into the
// shown pattern (the one at the caret) first, keep the moved patterns selected, and show the
// pattern at the caret afterwards.
TEST(MainWindow, SelectingMovingAndDeletingStoreWhatWasTypedAndKeepTheSelection) {
    struct Case {
        const char* button;      // none: a click on entry 4
        std::vector<int> select; // the last is the caret, typed into in lower case
        std::vector<std::string> order;
        std::vector<int> selectedAfter;
    };
    const Case cases[] = {
        {nullptr, {1}, {"W", "x", "Y", "Z"}, {3}},
        {"IDC_MOVE_UP", {2, 3}, {"W", "Y", "z", "X"}, {1, 2}},
        {"IDC_MOVE_DOWN", {0, 1}, {"Y", "W", "x", "Z"}, {1, 2}},
        {"IDC_MOVE_UP", {0, 2}, {"W", "X", "y", "Z"}, {0, 2}},   // entry 0 among them
        {"IDC_MOVE_DOWN", {1, 3}, {"W", "X", "Y", "z"}, {1, 3}}, // the last among them
        {"IDC_MOVE_UP", {1, 3}, {"X", "W", "z", "Y"}, {0, 2}},
        {"IDC_DELETE_PATTERN", {1}, {"W", "Y", "Z"}, {0}},
        {"IDC_DELETE_PATTERN", {1, 3}, {"W", "Y"}, {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.button ? c.button : "click") + " " +
                     std::to_string(c.select.front()));
        EditorWindow w;
        w.makePatterns({"W", "X", "Y", "Z"});
        w.clickRow(c.select[0]);
        for (size_t i = 1; i < c.select.size(); ++i)
            w.clickRow(c.select[i], Qt::ControlModifier);
        ASSERT_EQ(w.selectedRows(), c.select);
        w.typeInto(w.clearComment(), w.clearComment()->toPlainText().toLower());
        c.button ? w.click(c.button) : w.clickRow(3);
        EXPECT_EQ(w.storedClearComments(), c.order);
        EXPECT_EQ(w.selectedRows(), c.selectedAfter);
        EXPECT_EQ(w.entryCount(), int(c.order.size()));
        const int caret = w.caret();
        EXPECT_EQ(w.shown(), caret);
        EXPECT_EQ(w.clearComment()->toPlainText().toStdString(), c.order[size_t(caret)]);
    }
}

// Closing and the exit command ask only after an edit was notified: focus in an edit alone
// counts, and so does the rotation box. No keeps the window.
TEST(MainWindow, ClosingAndExitAskOnlyAfterAnEditNotification) {
    const struct {
        const char* edit; // focused, or clicked when a box; none: a move that changes nothing
        bool byExit;
    } cases[] = {{"", false},
                 {"", true},
                 {"IDC_FINISH_COMMENT", false},
                 {"IDC_PASSWORD", true},
                 {"IDC_ROTATION", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.edit) + (c.byExit ? " exit" : " close"));
        EditorWindow w;
        const bool edited = *c.edit != '\0';
        if (!edited) {
            w.clickRow(0);
            w.click("IDC_MOVE_UP");
        } else if (std::string(c.edit) == "IDC_ROTATION") {
            w.click(c.edit);
        } else {
            w.find<QWidget>(c.edit)->setFocus();
            settle();
        }
        EXPECT_EQ(w.unsaved(), edited);
        const auto leave = [&] { c.byExit ? w.trigger("IDM_EXIT") : void(w.window->close()); };
        if (edited) {
            w.prompts.answers = {false};
            leave();
            EXPECT_TRUE(w.window->isVisible());
            ASSERT_EQ(w.prompts.questions.size(), 1u);
            const app::Question& q = w.prompts.questions[0];
            EXPECT_EQ(q.text, "このプログラムを終了しますか？");
            EXPECT_EQ(q.caption, "終了");
            EXPECT_EQ(q.icon, puzzle::MessageIcon::Information);
            EXPECT_FALSE(q.yesIsDefault);
            w.prompts.answers = {true};
        }
        leave();
        EXPECT_FALSE(w.window->isVisible());
        EXPECT_EQ(w.prompts.questions.size(), edited ? 2u : 0u);
    }
}
