#include "app/password_dialog.h"

#include "window_driver.h"

#include <gtest/gtest.h>

using namespace pdt;
using namespace pdt::app;
using namespace pdt::test;

namespace {

// A prompt that accepts only "Secret", the way the editor's open checks the entry.
struct Prompt {
    FakePrompts prompts;
    std::vector<QString> checked;
    PasswordDialog dialog{
        nullptr,
        [this](const QString& typed) -> std::optional<puzzle::UserMessage> {
            checked.push_back(typed);
            if (typed == "Secret")
                return std::nullopt;
            return puzzle::UserMessage{"パスワードが違います。", "情報", puzzle::MessageIcon::None};
        },
        prompts};

    Prompt() {
        dialog.show();
        dialog.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }
    QLineEdit* edit() { return dialog.passwordEdit(); }
};

} // namespace

// A wrong entry is reported and the prompt stays with it, for any number of tries; Enter
// confirms like OK. Cancel, Escape and closing give up without checking anything.
TEST(PasswordDialog, ChecksEachEntryUntilOneIsRightOrTheUserGivesUp) {
    Prompt p;
    EXPECT_TRUE(p.edit()->hasFocus());
    typeText(p.edit(), "secret");
    QTest::mouseClick(p.dialog.findChild<QPushButton*>("IDOK"), Qt::LeftButton);
    EXPECT_TRUE(p.dialog.isVisible());
    EXPECT_EQ(p.edit()->text(), "secret");
    EXPECT_EQ(p.prompts.messages,
              (std::vector<ShownMessage>{
                  {"パスワードが違います。", "情報", puzzle::MessageIcon::None, "PASSWORD"}}));
    p.edit()->clear();
    typeText(p.edit(), "Secret");
    QTest::keyClick(p.edit(), Qt::Key_Return);
    EXPECT_EQ(p.dialog.result(), QDialog::Accepted);
    EXPECT_EQ(p.checked, (std::vector<QString>{"secret", "Secret"}));

    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        Prompt q;
        typeText(q.edit(), "Secret");
        if (way == 0)
            QTest::mouseClick(q.dialog.findChild<QPushButton*>("IDCANCEL"), Qt::LeftButton);
        else if (way == 1)
            QTest::keyClick(q.edit(), Qt::Key_Escape);
        else
            q.dialog.close();
        EXPECT_FALSE(q.dialog.isVisible());
        EXPECT_EQ(q.dialog.result(), QDialog::Rejected);
        EXPECT_TRUE(q.checked.empty());
    }
}
