#include "app/button_text_fit.h"

#include "app/dialog_builder.h"
#include "app/dialog_templates.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

using namespace pdt::app;

namespace {

int room(const QPushButton* b) {
    QStyleOptionButton o;
    o.initFrom(b);
    o.text = b->text();
    return b->style()->subElementRect(QStyle::SE_PushButtonContents, &o, b).width();
}

int advance(const QPushButton* b) {
    return QFontMetrics(b->font()).horizontalAdvance(b->text());
}

} // namespace

// Every button of every template shows its whole text with the style and fonts at hand; a
// text that fitted already keeps its font.
TEST(ButtonTextFit, EveryTemplateButtonShowsItsWholeText) {
    const DialogTemplate* templates[] = {&MainDialogTemplate(DialogVariant::PZ_BIND),
                                         &MainDialogTemplate(DialogVariant::PZ_BIND2),
                                         &PasswordDialogTemplate()};
    for (const DialogTemplate* t : templates) {
        QWidget client;
        buildDialog(*t, &client);
        std::vector<std::pair<QPushButton*, QFont>> before;
        for (QPushButton* b : client.findChildren<QPushButton*>())
            before.emplace_back(b, b->font());
        ASSERT_FALSE(before.empty());
        fitButtonTexts(&client);
        for (const auto& [b, font] : before) {
            SCOPED_TRACE(b->objectName().toStdString());
            EXPECT_LE(advance(b), room(b));
            if (QFontMetrics(font).horizontalAdvance(b->text()) <= room(b)) {
                EXPECT_EQ(b->font(), font);
            }
        }
    }
}

// A text far too wide is set closer and smaller, but never below 8 pixels.
TEST(ButtonTextFit, ShrinksATooWideTextButNotBelowEightPixels) {
    QWidget client;
    auto* b = new QPushButton(QString::fromUtf8("追加..."), &client);
    QFont font = b->font();
    font.setPixelSize(13);
    b->setFont(font);
    b->setFixedWidth(QFontMetrics(font).horizontalAdvance(b->text()));
    auto* tiny = new QPushButton(QString::fromUtf8("とても長いボタンの文字列"), &client);
    tiny->setFont(font);
    tiny->setFixedWidth(20);
    fitButtonTexts(&client);
    EXPECT_LE(advance(b), room(b));
    EXPECT_GE(b->font().pixelSize(), 8);
    EXPECT_EQ(tiny->font().pixelSize(), 8);
}
