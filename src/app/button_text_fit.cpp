#include "app/button_text_fit.h"

#include <QFontMetrics>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

namespace pdt::app {

namespace {

// The width the button's style leaves for its text.
int roomFor(const QPushButton* button) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).width();
}

int advanceOf(const QFont& font, const QString& text) {
    return QFontMetrics(font).horizontalAdvance(text);
}

} // namespace

void fitButtonTexts(QWidget* root) {
    for (QPushButton* button : root->findChildren<QPushButton*>()) {
        const int room = roomFor(button);
        const QString text = button->text().remove(QLatin1Char('&'));
        QFont font = button->font();
        if (advanceOf(font, text) <= room)
            continue;
        for (int spacing = 99; spacing >= 85 && advanceOf(font, text) > room; --spacing)
            font.setLetterSpacing(QFont::PercentageSpacing, spacing);
        while (advanceOf(font, text) > room && font.pixelSize() > 8)
            font.setPixelSize(font.pixelSize() - 1);
        button->setFont(font);
    }
}

} // namespace pdt::app
