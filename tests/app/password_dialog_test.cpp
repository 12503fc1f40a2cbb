#include "app/password_dialog.h"

#include "fake_prompts.h"
#include "window_driver.h"

#include <QLineEdit>
#include <QPushButton>

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

TEST(PasswordDialog, AWrongEntryIsReportedAndThePromptStaysWithIt) {
    Prompt p;
    EXPECT_EQ(p.edit()->text(), "");
    EXPECT_TRUE(p.edit()->hasFocus());
    typeText(p.edit(), "secret");
    QTest::mouseClick(p.dialog.findChild<QPushButton*>("IDOK"), Qt::LeftButton);
    EXPECT_TRUE(p.dialog.isVisible());
    EXPECT_EQ(p.edit()->text(), "secret");
    ASSERT_EQ(p.prompts.messages.size(), 1u);
    EXPECT_EQ(p.prompts.messages[0], (ShownMessage{"パスワードが違います。", "情報",
                                                   puzzle::MessageIcon::None, "PASSWORD"}));

    // Any number of tries; Enter confirms like OK.
    p.edit()->clear();
    typeText(p.edit(), "Secret");
    QTest::keyClick(p.edit(), Qt::Key_Return);
    EXPECT_FALSE(p.dialog.isVisible());
    EXPECT_EQ(p.dialog.result(), QDialog::Accepted);
    EXPECT_EQ(p.checked, (std::vector<QString>{"secret", "Secret"}));
    EXPECT_EQ(p.prompts.messages.size(), 1u);
}

TEST(PasswordDialog, CancelEscapeAndCloseGiveUp) {
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        Prompt p;
        typeText(p.edit(), "Secret");
        if (way == 0)
            QTest::mouseClick(p.dialog.findChild<QPushButton*>("IDCANCEL"), Qt::LeftButton);
        else if (way == 1)
            QTest::keyClick(p.edit(), Qt::Key_Escape);
        else
            p.dialog.close();
        EXPECT_FALSE(p.dialog.isVisible());
        EXPECT_EQ(p.dialog.result(), QDialog::Rejected);
        EXPECT_TRUE(p.checked.empty()) << "giving up checks nothing";
    }
}
