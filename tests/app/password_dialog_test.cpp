#include "app/password_dialog.h"

#include "window_driver.h"

#include <QLabel>

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
// confirms like OK. Cancel gives up without checking anything.
TEST(PasswordDialog, ChecksEachEntryUntilOneIsRightOrTheUserGivesUp) {
    Prompt p;
    EXPECT_EQ(p.dialog.windowTitle(), QString::fromUtf8("パスワード入力"));
    EXPECT_EQ(p.dialog.findChild<QLabel*>("PasswordNoticeLabel")->text(),
              QString::fromUtf8("このファイルにはパスワードが設定されています。"));
    EXPECT_EQ(p.edit()->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(p.dialog.findChild<QPushButton*>("IDOK")->isDefault());
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

    Prompt q;
    typeText(q.edit(), "Secret");
    QTest::mouseClick(q.dialog.findChild<QPushButton*>("IDCANCEL"), Qt::LeftButton);
    EXPECT_FALSE(q.dialog.isVisible());
    EXPECT_EQ(q.dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(q.checked.empty());
}
