#include "app/cp932_input.h"

#include "text/cp932.h"
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

TEST(Cp932Input, CountsCodePage932Bytes) {
    struct Case {
        QString text;
        int maxBytes;
        LineBreaks breaks;
        InputCheck expected;
    };
    const Case cases[] = {
        {repeated("a", 256), 256, LineBreaks::CrLf, InputCheck::Accepted},
        {repeated("a", 257), 256, LineBreaks::CrLf, InputCheck::TooLong},
        {repeated("漢", 128), 256, LineBreaks::CrLf, InputCheck::Accepted}, // 2 bytes each
        {repeated("漢", 128) + "a", 256, LineBreaks::CrLf, InputCheck::TooLong},
        {repeated("ｱ", 256), 256, LineBreaks::CrLf, InputCheck::Accepted}, // half-width kana: 1
        {repeated("a", 254) + "\n", 256, LineBreaks::CrLf, InputCheck::Accepted},
        {repeated("a", 255) + "\n", 256, LineBreaks::CrLf, InputCheck::TooLong}, // CR LF is 2
        {repeated("漢", 8), 16, LineBreaks::None, InputCheck::Accepted},
        {repeated("漢", 8) + "x", 16, LineBreaks::None, InputCheck::TooLong},
        {QString::fromUtf8("한국"), 256, LineBreaks::CrLf, InputCheck::NotCp932},
        {QString::fromUtf8("😀"), 256, LineBreaks::CrLf, InputCheck::NotCp932},
        {QString::fromUtf8("①～＼"), 256, LineBreaks::CrLf, InputCheck::Accepted}, // NEC, U+FF5E
        {QString::fromUtf8("a€"), 16, LineBreaks::None, InputCheck::NotCp932},
        {QString(), 16, LineBreaks::None, InputCheck::Accepted},
    };
    for (const Case& c : cases)
        EXPECT_EQ(checkCp932Input(c.text, c.maxBytes, c.breaks), c.expected)
            << c.text.left(12).toStdString() << " (" << c.text.size() << " characters)";
    // What code page 932 cannot hold is never stored as '?'.
    EXPECT_EQ(toStoredComment(QString::fromUtf8("한")), std::nullopt);
}

TEST(Cp932Input, CommentEditsRefuseWhatDoesNotFitAndSayWhy) {
    EditorWindow w;
    QPlainTextEdit* edit = w.clearComment();
    edit->setFocus();
    typeText(edit, repeated("漢", 127) + "ab");
    ASSERT_EQ(edit->toPlainText(), repeated("漢", 127) + "ab");

    // The 257th byte is refused where it is typed.
    typeText(edit, "c");
    EXPECT_EQ(edit->toPlainText(), repeated("漢", 127) + "ab");
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), QString::fromUtf8("これ以上入力できません（256バイトまで）。"));
    // So is a line break, which takes two bytes, after deleting one character.
    QTest::keyClick(edit, Qt::Key_Backspace);
    typeText(edit, "\n");
    EXPECT_EQ(edit->toPlainText(), repeated("漢", 127) + "a");

    // A character code page 932 cannot hold, typed through an input method in the middle.
    QTextCursor c = edit->textCursor();
    c.setPosition(3);
    edit->setTextCursor(c);
    typeText(edit, QString::fromUtf8("한"));
    EXPECT_EQ(edit->toPlainText(), repeated("漢", 127) + "a");
    EXPECT_EQ(edit->textCursor().position(), 3) << "the caret stays where it was";
    EXPECT_EQ(QToolTip::text(),
              QString::fromUtf8("この文字は使えません（シフトJISにない文字です）。"));

    // Pasted text is checked as a whole.
    edit->clear();
    edit->insertPlainText(QString::fromUtf8("前") + QString::fromUtf8("😀"));
    EXPECT_EQ(edit->toPlainText(), "");
    edit->insertPlainText(repeated("x", 300));
    EXPECT_EQ(edit->toPlainText(), "");

    w.window->commit();
    EXPECT_EQ(w.storedClearComment(0), "");
}

TEST(Cp932Input, TheLongestCommentIsStoredWhole) {
    EditorWindow w;
    w.typeInto(w.finishComment(), repeated("漢", 126) + "a\nb");
    w.window->commit();
    const std::string stored(puzzle::fieldText(w.doc().pattern(0).finishComment));
    EXPECT_EQ(stored.size(), 256u);
    EXPECT_EQ(stored, text::toCp932((repeated("漢", 126) + "a\r\nb").toStdString()).value());
}

TEST(Cp932Input, PasswordEditTakesSixteenBytes) {
    EditorWindow w;
    QLineEdit* edit = w.password();
    edit->setFocus();
    typeText(edit, repeated("a", 16));
    typeText(edit, "b");
    EXPECT_EQ(edit->text(), repeated("a", 16));
    EXPECT_EQ(QToolTip::text(), QString::fromUtf8("これ以上入力できません（16バイトまで）。"));

    edit->clear();
    typeText(edit, QString::fromUtf8("ﾊﾟｽﾜｰﾄﾞ"));
    EXPECT_EQ(edit->text(), QString::fromUtf8("ﾊﾟｽﾜｰﾄﾞ"));
    edit->insert(QString::fromUtf8("€"));
    EXPECT_EQ(edit->text(), QString::fromUtf8("ﾊﾟｽﾜｰﾄﾞ"));
    // A space would end the password when the file is read back.
    typeText(edit, " x");
    EXPECT_EQ(edit->text(), QString::fromUtf8("ﾊﾟｽﾜｰﾄﾞx"));
    EXPECT_EQ(QToolTip::text(), QString::fromUtf8("パスワードに空白は使えません。"));
}
