#include "app/dialog_builder.h"

#include "app/main_window.h"
#include "app/password_dialog.h"
#include "fake_prompts.h"
#include "window_driver.h"

#include <QAction>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

#include <gtest/gtest.h>

using namespace pdt;
using namespace pdt::app;
using namespace pdt::test;

namespace {

// Ids sorted and separated by spaces.
std::string sorted(QStringList ids) {
    ids.sort();
    return ids.join(' ').toStdString();
}

std::string controlIds(const QWidget* window) {
    QStringList ids;
    for (const QWidget* w : window->findChildren<QWidget*>())
        if (w->objectName().startsWith("IDC_"))
            ids.push_back(w->objectName());
    return sorted(ids);
}

// The controls of both variants in tab order; the preview frames take no focus.
const QStringList kTabOrder =
    QStringLiteral("IDC_PATTERN_LIST IDC_MOVE_UP IDC_MOVE_DOWN IDC_ROTATION IDC_CLEAR_COMMENT "
                   "IDC_FINISH_COMMENT IDC_DELETE_PATTERN IDC_ADD_PUZZLE_IMAGE "
                   "IDC_EXTRACT_PUZZLE_IMAGE IDC_DELETE_PUZZLE_IMAGE IDC_ADD_FINISHED_IMAGE "
                   "IDC_EXTRACT_FINISHED_IMAGE IDC_DELETE_FINISHED_IMAGE IDC_PASSWORD "
                   "IDC_ADD_PATTERN IDC_MIN_PIECES")
        .split(' ');
const QStringList kFrames = {"IDC_PUZZLE_PREVIEW", "IDC_FINISHED_PREVIEW"};

// Base units measured here the way the system measures them, independently of the code
// under test.
DialogBaseUnits measured(const QFont& font) {
    const QFontMetrics m(font);
    const int sum = m.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return {(sum / 26 + 1) / 2, m.height()};
}

} // namespace

TEST(DialogUnits, MulDivRoundsHalvesAwayFromZero) {
    struct Case {
        int number, numerator, denominator, expected;
    };
    const Case cases[] = {
        {13, 7, 4, 23},                                   // 22.75
        {2, 7, 4, 4},                                     // 3.5
        {6, 13, 8, 10},                                   // 9.75
        {4, 13, 8, 7},                                    // 6.5
        {1, 13, 8, 2},                                    // 1.625
        {442, 6, 4, 663},                                 // 663
        {-2, 7, 4, -4},                                   // -3.5
        {10, 96, 72, 13},                                 // 13.33: a 10-point font at 96 dpi
        {9, 96, 72, 12},  {2000000000, 3, 4, 1500000000}, // no 32-bit overflow in the product
    };
    for (const Case& c : cases)
        EXPECT_EQ(MulDiv(c.number, c.numerator, c.denominator), c.expected)
            << c.number << "*" << c.numerator << "/" << c.denominator;
}

TEST(DialogUnits, ConvertWithTheFontsBaseUnits) {
    const DialogBaseUnits units{7, 14};
    EXPECT_EQ(toPixels({13, 19, 100, 173}, units), QRect(23, 33, 175, 303));
    EXPECT_EQ(toPixels({129, 18, 80, 80}, units), QRect(226, 32, 140, 140));
    EXPECT_EQ(toPixels({0, 0, 441, 1}, units), QRect(0, 0, 772, 2));
    EXPECT_EQ(toPixels({51, 228, 64, 12}, {6, 13}), QRect(77, 371, 96, 20));
}

TEST(DialogFont, FallsBackToTheInstalledJapaneseGothic) {
    const QFont main = dialogFont(MainDialogTemplate(DialogVariant::PZ_BIND));
    EXPECT_EQ(main.pixelSize(), 13);
    EXPECT_EQ(QFontInfo(main).family(), "IPAGothic");
    const QFont prompt = dialogFont(PasswordDialogTemplate());
    EXPECT_EQ(prompt.pixelSize(), 12);
    EXPECT_EQ(QFontInfo(prompt).family(), "IPAPGothic");
}

TEST(MainDialogLayout, EachVariantHasExactlyItsControls) {
    EditorWindow plain(DialogVariant::PZ_BIND);
    EXPECT_EQ(controlIds(plain.window.get()), sorted(kTabOrder + kFrames));
    EditorWindow vendor(DialogVariant::PZ_BIND2);
    EXPECT_EQ(controlIds(vendor.window.get()),
              sorted(kTabOrder + kFrames + QStringList{"IDC_VENDOR_INFO"}));
    auto* box = vendor.find<QCheckBox>("IDC_VENDOR_INFO");
    EXPECT_EQ(box->text(), QString::fromUtf8("ベンダー情報付加"));

    // The vendor box takes the password row's place: the row moves up 5 units.
    const DialogBaseUnits units = measured(plain.window->centralWidget()->font());
    EXPECT_EQ(plain.password()->y(), MulDiv(228, units.y, 8));
    EXPECT_EQ(vendor.password()->y(), MulDiv(223, units.y, 8));
    EXPECT_EQ(box->geometry().topLeft(), QPoint(MulDiv(19, units.x, 4), MulDiv(242, units.y, 8)));
}

TEST(MainDialogLayout, ControlsSitWhereTheTemplateSaysInPixels) {
    EditorWindow w;
    const QWidget* client = w.window->centralWidget();
    const DialogBaseUnits u = measured(client->font());
    const auto px = [&](int x, int y, int cx, int cy) {
        return QRect(MulDiv(x, u.x, 4), MulDiv(y, u.y, 8), MulDiv(cx, u.x, 4), MulDiv(cy, u.y, 8));
    };
    EXPECT_EQ(client->size(), px(0, 0, 442, 261).size());
    EXPECT_EQ(w.list()->geometry(), px(13, 19, 100, 173));
    EXPECT_EQ(w.finishComment()->geometry(), px(214, 157, 223, 77));
    EXPECT_EQ(w.find<QWidget>("IDC_PUZZLE_PREVIEW")->geometry(), px(129, 18, 80, 80));
    EXPECT_EQ(w.find<QWidget>("IDC_DELETE_FINISHED_IMAGE")->geometry(), px(185, 239, 23, 14));
    // The combo box keeps its position and width; its height is that of one line.
    EXPECT_EQ(w.minPieces()->geometry().topLeft(), px(305, 112, 0, 0).topLeft());
    EXPECT_EQ(w.minPieces()->width(), px(0, 0, 31, 0).width());

    // The preview frames are etched and the list takes several entries.
    auto* frame = w.find<QFrame>("IDC_PUZZLE_PREVIEW");
    EXPECT_EQ(frame->frameShape(), QFrame::Box);
    EXPECT_EQ(frame->frameShadow(), QFrame::Sunken);
    EXPECT_EQ(w.list()->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(w.password()->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(w.clearComment()->tabChangesFocus());
}

TEST(MainDialogLayout, LabelsShowTheirWholeText) {
    for (const auto variant : {DialogVariant::PZ_BIND, DialogVariant::PZ_BIND2}) {
        EditorWindow w(variant);
        for (const QLabel* label : w.window->findChildren<QLabel*>()) {
            SCOPED_TRACE(label->text().toStdString());
            EXPECT_GE(label->width(), QFontMetrics(label->font()).horizontalAdvance(label->text()));
        }
        EXPECT_GE(w.rotation()->width(), w.rotation()->sizeHint().width());
    }
}

TEST(MainDialogLayout, TabVisitsTheControlsInTableOrder) {
    for (const auto variant : {DialogVariant::PZ_BIND, DialogVariant::PZ_BIND2}) {
        EditorWindow w(variant);
        QStringList expected = kTabOrder;
        if (variant == DialogVariant::PZ_BIND2)
            expected.push_back("IDC_VENDOR_INFO");
        expected.push_back("IDC_PATTERN_LIST"); // round again

        w.list()->setFocus();
        QStringList visited = {QApplication::focusWidget()->objectName()};
        while (visited.size() < expected.size()) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited.push_back(QApplication::focusWidget()->objectName());
        }
        EXPECT_EQ(visited.join(' ').toStdString(), expected.join(' ').toStdString());
    }
}

// Every control carries its label as its accessible name.
TEST(MainDialogLayout, EveryControlHasAnAccessibleName) {
    EditorWindow w(DialogVariant::PZ_BIND2);
    for (const QWidget* c : w.window->findChildren<QWidget*>()) {
        if (c->objectName().startsWith("IDC_")) {
            EXPECT_FALSE(c->accessibleName().isEmpty()) << c->objectName().toStdString();
        }
    }
    const std::pair<const char*, const char*> labelled[] = {
        {"IDC_CLEAR_COMMENT", "パズル完成後のコメント"},
        {"IDC_FINISH_COMMENT", "完成ＣＧ表示後のコメント"},
        {"IDC_MIN_PIECES", "最小ピース数"},
        {"IDC_MOVE_UP", "↑上へ"},
    };
    for (const auto& [id, name] : labelled)
        EXPECT_EQ(w.find<QWidget>(id)->accessibleName(), QString::fromUtf8(name)) << id;
}

TEST(MainDialogLayout, DecorationLetClicksThrough) {
    EditorWindow w;
    // The group box around the list lies above it in table order; the list still gets
    // the click.
    auto* group = w.find<QGroupBox>("FileStructureGroup");
    EXPECT_EQ(group->title(), QString::fromUtf8("ファイル構成"));
    const QPoint inList = w.list()->geometry().center();
    EXPECT_EQ(w.window->centralWidget()->childAt(inList), w.list()->viewport());
}

TEST(PasswordDialogLayout, IsBuiltFromItsTemplate) {
    FakePrompts prompts;
    PasswordDialog dialog(
        nullptr, [](const QString&) { return std::nullopt; }, prompts);
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("パスワード入力"));
    const QWidget* client = dialog.findChild<QWidget*>("client");
    const DialogBaseUnits u = measured(client->font());
    EXPECT_EQ(client->size(), QSize(MulDiv(187, u.x, 4), MulDiv(93, u.y, 8)));
    EXPECT_EQ(dialog.passwordEdit()->geometry(), QRect(MulDiv(46, u.x, 4), MulDiv(47, u.y, 8),
                                                       MulDiv(93, u.x, 4), MulDiv(14, u.y, 8)));
    auto* ok = dialog.findChild<QPushButton*>("IDOK");
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isDefault());
    auto* notice = dialog.findChild<QLabel*>("PasswordNoticeLabel");
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->text(), QString::fromUtf8("このファイルにはパスワードが設定されています。"));
    EXPECT_TRUE(notice->alignment() & Qt::AlignHCenter);
    EXPECT_EQ(dialog.passwordEdit()->echoMode(), QLineEdit::Password);
}
