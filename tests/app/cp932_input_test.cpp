#include "app/cp932_input.h"

#include "window_driver.h"

#include <QToolTip>

#include <gtest/gtest.h>

using namespace pdt;
using namespace pdt::app;
using namespace pdt::test;

namespace {

QString repeated(const char* utf8, int n) {
    return QString::fromUtf8(utf8).repeated(n);
}

} // namespace

// A change that does not fit is refused where it is made, the caret stays, a hint says
// why; what fits exactly is stored whole, line breaks as CR LF.
TEST(Cp932Input, CommentEditsRefuseWhatDoesNotFitAndStoreWhatDoes) {
    EditorWindow w;
    QPlainTextEdit* edit = w.clearComment();
    edit->setFocus();
    typeText(edit, repeated("漢", 127) + "ab");
    typeText(edit, "c");
    EXPECT_EQ(edit->toPlainText(), repeated("漢", 127) + "ab");
    EXPECT_EQ(QToolTip::text(), QString::fromUtf8("これ以上入力できません（256バイトまで）。"));

    // A line break takes two bytes.
    QTest::keyClick(edit, Qt::Key_Backspace);
    typeText(edit, "\n");
    EXPECT_EQ(edit->toPlainText(), repeated("漢", 127) + "a");

    QTextCursor c = edit->textCursor();
    c.setPosition(3);
    edit->setTextCursor(c);
    typeText(edit, QString::fromUtf8("한"));
    EXPECT_EQ(edit->toPlainText(), repeated("漢", 127) + "a");
    EXPECT_EQ(edit->textCursor().position(), 3);
    EXPECT_EQ(QToolTip::text(),
              QString::fromUtf8("この文字は使えません（シフトJISにない文字です）。"));

    // Pasted text is checked as a whole.
    edit->clear();
    edit->insertPlainText(repeated("x", 300));
    EXPECT_EQ(edit->toPlainText(), "");

    w.typeInto(w.finishComment(), repeated("漢", 126) + "a\nb");
    w.window->commit();
    EXPECT_EQ(w.storedClearComment(0), "");
    EXPECT_EQ(std::string(puzzle::fieldText(w.doc().pattern(0).finishComment)),
              text::toCp932((repeated("漢", 126) + "a\r\nb").toStdString()).value());
}

TEST(Cp932Input, PasswordEditTakesSixteenBytesAndNoSpace) {
    EditorWindow w;
    QLineEdit* edit = w.password();
    edit->setFocus();
    typeText(edit, repeated("a", 16) + "b");
    EXPECT_EQ(edit->text(), repeated("a", 16));
    EXPECT_EQ(QToolTip::text(), QString::fromUtf8("これ以上入力できません（16バイトまで）。"));

    // A space would end the password when the file is read back.
    edit->clear();
    typeText(edit, "pw x");
    EXPECT_EQ(edit->text(), "pwx");
    EXPECT_EQ(QToolTip::text(), QString::fromUtf8("パスワードに空白は使えません。"));
}
