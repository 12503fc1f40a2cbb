#include "app/dialog_builder.h"

#include "app/main_window.h"
#include "window_driver.h"

#include <QGroupBox>
#include <QLabel>

#include <gtest/gtest.h>

using namespace pdt;
using namespace pdt::app;
using namespace pdt::test;

namespace {

// The controls of both variants in tab order; the preview frames take no focus.
const QStringList kTabOrder =
    QStringLiteral("IDC_PATTERN_LIST IDC_MOVE_UP IDC_MOVE_DOWN IDC_ROTATION IDC_CLEAR_COMMENT "
                   "IDC_FINISH_COMMENT IDC_DELETE_PATTERN IDC_ADD_PUZZLE_IMAGE "
                   "IDC_EXTRACT_PUZZLE_IMAGE IDC_DELETE_PUZZLE_IMAGE IDC_ADD_FINISHED_IMAGE "
                   "IDC_EXTRACT_FINISHED_IMAGE IDC_DELETE_FINISHED_IMAGE IDC_PASSWORD "
                   "IDC_ADD_PATTERN IDC_MIN_PIECES")
        .split(' ');

// Dialog units to pixels with base units measured here the way the system measures them,
// independently of the code under test.
struct Pixels {
    explicit Pixels(const QFont& font) {
        const QFontMetrics m(font);
        x = (m.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 26 + 1) /
            2;
        y = m.height();
    }
    QRect operator()(int left, int top, int cx, int cy) const {
        return QRect(MulDiv(left, x, 4), MulDiv(top, y, 8), MulDiv(cx, x, 4), MulDiv(cy, y, 8));
    }
    int x, y;
};

} // namespace

TEST(DialogUnits, MulDivRoundsHalvesAwayFromZeroAndPixelsFollowTheBaseUnits) {
    const struct {
        int number, numerator, denominator, expected;
    } cases[] = {
        {13, 7, 4, 23},                 // 22.75
        {2, 7, 4, 4},                   // 3.5
        {-2, 7, 4, -4},                 // -3.5
        {2000000000, 3, 4, 1500000000}, // no 32-bit overflow in the product
    };
    for (const auto& c : cases)
        EXPECT_EQ(MulDiv(c.number, c.numerator, c.denominator), c.expected)
            << c.number << "*" << c.numerator << "/" << c.denominator;
    EXPECT_EQ(toPixels({13, 19, 100, 173}, {7, 14}), QRect(23, 33, 175, 303));
}

// Each variant is a fixed-size window with exactly its controls, where the template puts
// them, none covering another, reached by Tab in table order, each
// labelled for accessibility; the vendor box takes the password row's place, which moves up
// 5 units.
TEST(MainDialogLayout, ControlsSitWhereTheTemplateSaysNeverOverlapAndTabInTableOrder) {
    for (const auto variant : {DialogVariant::PZ_BIND, DialogVariant::PZ_BIND2}) {
        EditorWindow w(variant);
        const bool vendor = variant == DialogVariant::PZ_BIND2;
        QStringList expected = kTabOrder;
        if (vendor)
            expected.push_back("IDC_VENDOR_INFO");
        QStringList ids;
        for (const QWidget* c : w.window->findChildren<QWidget*>())
            if (c->objectName().startsWith("IDC_")) {
                ids.push_back(c->objectName());
                EXPECT_FALSE(c->accessibleName().isEmpty()) << c->objectName().toStdString();
            }
        QStringList all = expected + QStringList{"IDC_PUZZLE_PREVIEW", "IDC_FINISHED_PREVIEW"};
        ids.sort();
        all.sort();
        EXPECT_EQ(ids.join(' ').toStdString(), all.join(' ').toStdString());

        EXPECT_EQ(w.window->minimumSize(), w.window->maximumSize()) << "not resizable";
        const QWidget* client = w.window->centralWidget();
        const Pixels px(client->font());
        EXPECT_EQ(client->size(), px(0, 0, 442, 261).size());
        EXPECT_EQ(w.list()->geometry(), px(13, 19, 100, 173));
        EXPECT_EQ(w.password()->y(), px(0, vendor ? 223 : 228, 0, 0).y());
        EXPECT_EQ(w.password()->echoMode(), QLineEdit::Password);

        expected.push_back("IDC_PATTERN_LIST"); // round again
        w.list()->setFocus();
        QStringList visited = {QApplication::focusWidget()->objectName()};
        while (visited.size() < expected.size()) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited.push_back(QApplication::focusWidget()->objectName());
        }
        EXPECT_EQ(visited.join(' ').toStdString(), expected.join(' ').toStdString());

        // The group box around the list lies above it in table order; the list gets the click.
        EXPECT_EQ(w.find<QGroupBox>("FileStructureGroup")->title(),
                  QString::fromUtf8("ファイル構成"));
        EXPECT_EQ(client->childAt(w.list()->geometry().center()), w.list()->viewport());

        // No control covers another.
        std::vector<QWidget*> controls;
        for (QWidget* c : client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            const bool decoration = qobject_cast<QGroupBox*>(c) ||
                                    (qobject_cast<QFrame*>(c) && !qobject_cast<QLabel*>(c) &&
                                     !c->objectName().startsWith("IDC_"));
            if (!decoration && c->isVisible())
                controls.push_back(c);
        }
        for (size_t i = 0; i < controls.size(); ++i)
            for (size_t j = i + 1; j < controls.size(); ++j)
                EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry()))
                    << controls[i]->objectName().toStdString() << " and "
                    << controls[j]->objectName().toStdString();
    }
}
