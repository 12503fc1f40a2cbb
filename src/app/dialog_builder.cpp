#include "app/dialog_builder.h"

#include "app/button_text_fit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <cstdint>

namespace pdt::app {

namespace {

constexpr int kReferenceDpi = 96;
constexpr int kPointsPerInch = 72;

QFrame* makeEtched(QWidget* parent, QFrame::Shape shape) {
    auto* frame = new QFrame(parent);
    frame->setFrameShape(shape);
    frame->setFrameShadow(QFrame::Sunken);
    return frame;
}

// Decoration draws only; clicks go through it to the controls it surrounds, as a group
// box or a label on a dialog takes no click either.
void makeDecoration(QWidget* w) {
    w->setFocusPolicy(Qt::NoFocus);
    w->setAttribute(Qt::WA_TransparentForMouseEvents);
}

QWidget* createListBox(const ControlTemplate& c, QWidget* parent) {
    auto* list = new QListView(parent);
    list->setSelectionMode(c.style & kExtendedSelection ? QAbstractItemView::ExtendedSelection
                                                        : QAbstractItemView::SingleSelection);
    list->setVerticalScrollBarPolicy(c.style & kVerticalScroll ? Qt::ScrollBarAsNeeded
                                                               : Qt::ScrollBarAlwaysOff);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setUniformItemSizes(true);
    return list;
}

QWidget* createComboBox(QWidget* parent, QRect pixels) {
    auto* combo = new QComboBox(parent);
    // The template's height is that of the opened list; the closed box is one line.
    const int field = combo->sizeHint().height();
    const int item = QFontMetrics(combo->font()).height() + 2;
    combo->setMaxVisibleItems(std::max(1, (pixels.height() - field) / item));
    return combo;
}

QWidget* createEdit(const ControlTemplate& c, QWidget* parent) {
    if (c.style & kMultiLine) {
        auto* edit = new QPlainTextEdit(parent);
        edit->setTabChangesFocus(true);
        edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        edit->setVerticalScrollBarPolicy(c.style & kVerticalScroll ? Qt::ScrollBarAsNeeded
                                                                   : Qt::ScrollBarAlwaysOff);
        return edit;
    }
    auto* edit = new QLineEdit(parent);
    if (c.style & kPasswordChars)
        edit->setEchoMode(QLineEdit::Password);
    return edit;
}

QWidget* createWidget(const ControlTemplate& c, QWidget* parent, QRect pixels) {
    const QString text = QString::fromUtf8(c.text);
    switch (c.kind) {
    case ControlKind::EtchedFrame: {
        auto* frame = new QFrame(parent);
        frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
        frame->setFocusPolicy(Qt::NoFocus);
        return frame;
    }
    case ControlKind::EtchedHorizontalLine:
    case ControlKind::EtchedVerticalLine: {
        auto* line = makeEtched(
            parent, c.kind == ControlKind::EtchedHorizontalLine ? QFrame::HLine : QFrame::VLine);
        makeDecoration(line);
        return line;
    }
    case ControlKind::StaticText: {
        auto* label = new QLabel(text, parent);
        label->setAlignment((c.style & kCentred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
        label->setTextFormat(Qt::PlainText);
        makeDecoration(label);
        return label;
    }
    case ControlKind::GroupBox: {
        auto* group = new QGroupBox(text, parent);
        makeDecoration(group);
        return group;
    }
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton: {
        auto* button = new QPushButton(text, parent);
        button->setAutoDefault(false);
        button->setDefault(c.kind == ControlKind::DefaultPushButton);
        return button;
    }
    case ControlKind::CheckBox:
        return new QCheckBox(text, parent);
    case ControlKind::ListBox:
        return createListBox(c, parent);
    case ControlKind::ComboBox:
        return createComboBox(parent, pixels);
    case ControlKind::Edit:
        break;
    }
    return createEdit(c, parent);
}

QWidget* createControl(const ControlTemplate& c, QWidget* parent, QRect pixels) {
    QWidget* w = createWidget(c, parent, pixels);
    w->setObjectName(QString::fromUtf8(c.name));
    w->setAccessibleName(QString::fromUtf8(c.accessibleName));
    if (c.kind == ControlKind::ComboBox)
        pixels.setHeight(w->sizeHint().height());
    // The installed face runs a little wider than the one the template was drawn with; a
    // left-aligned label or a check box grows to show its whole text rather than cut it.
    const bool growsToText = (c.kind == ControlKind::StaticText && !(c.style & kCentred)) ||
                             c.kind == ControlKind::CheckBox;
    if (growsToText)
        pixels.setWidth(std::max(pixels.width(), w->sizeHint().width()));
    w->setGeometry(pixels);
    if (w->focusPolicy() != Qt::NoFocus)
        w->setFocusPolicy(c.style & kTabStop ? Qt::StrongFocus : Qt::ClickFocus);
    return w;
}

bool isDecoration(ControlKind kind) {
    return kind == ControlKind::GroupBox || kind == ControlKind::EtchedHorizontalLine ||
           kind == ControlKind::EtchedVerticalLine;
}

// A label that grew to show its text may not run into the control beside it: it stops
// short of it, and its letters close up (down to 85 %, then a pixel smaller) until the
// text fits the room it has.
void keepLabelsClearOfNeighbours(const BuiltDialog& built) {
    for (const BuiltControl& b : built.controls) {
        auto* label = qobject_cast<QLabel*>(b.widget);
        if (!label || (b.control->style & kCentred))
            continue;
        const QRect own = label->geometry();
        int room = own.width();
        for (const BuiltControl& other : built.controls) {
            const QRect r = other.widget->geometry();
            if (other.widget == label || isDecoration(other.control->kind) || r.x() <= own.x() ||
                r.bottom() < own.top() || r.top() > own.bottom())
                continue;
            room = std::min(room, r.x() - own.x() - 1);
        }
        if (room >= own.width())
            continue;
        label->resize(room, own.height());
        QFont font = label->font();
        for (int spacing = 99;
             spacing >= 85 && QFontMetrics(font).horizontalAdvance(label->text()) > room; --spacing)
            font.setLetterSpacing(QFont::PercentageSpacing, spacing);
        while (QFontMetrics(font).horizontalAdvance(label->text()) > room && font.pixelSize() > 8)
            font.setPixelSize(font.pixelSize() - 1);
        label->setFont(font);
    }
}

} // namespace

int MulDiv(int number, int numerator, int denominator) {
    const std::int64_t product = std::int64_t(number) * numerator;
    const std::int64_t half = std::int64_t(denominator < 0 ? -denominator : denominator) / 2;
    const bool negative = (product < 0) != (denominator < 0);
    const std::int64_t magnitude = (product < 0 ? -product : product) + half;
    const std::int64_t quotient = magnitude / (denominator < 0 ? -denominator : denominator);
    return int(negative ? -quotient : quotient);
}

QFont dialogFont(const DialogTemplate& dialog) {
    QFont font;
    font.setFamilies({QString::fromUtf8(dialog.fontFace), QString::fromUtf8(dialog.fallbackFace)});
    font.setPixelSize(MulDiv(dialog.fontPoints, kReferenceDpi, kPointsPerInch));
    font.setStyleHint(QFont::SansSerif);
    return font;
}

DialogBaseUnits baseUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(letters / 26 + 1) / 2, metrics.height()};
}

QRect toPixels(const DialogRect& rect, DialogBaseUnits units) {
    return QRect(MulDiv(rect.x, units.x, 4), MulDiv(rect.y, units.y, 8),
                 MulDiv(rect.width, units.x, 4), MulDiv(rect.height, units.y, 8));
}

BuiltDialog buildDialog(const DialogTemplate& dialog, QWidget* client) {
    BuiltDialog built;
    const QFont font = dialogFont(dialog);
    client->setFont(font);
    built.units = baseUnitsOf(font);
    built.clientSize =
        QSize(MulDiv(dialog.width, built.units.x, 4), MulDiv(dialog.height, built.units.y, 8));
    client->setFixedSize(built.clientSize);

    QWidget* previousTabStop = nullptr;
    for (const ControlTemplate& c : dialog.controls) {
        QWidget* w = createControl(c, client, toPixels(c.rect, built.units));
        built.controls.push_back({&c, w});
        if (c.style & kTabStop) {
            if (previousTabStop)
                QWidget::setTabOrder(previousTabStop, w);
            previousTabStop = w;
        }
    }
    // Group boxes are drawn beneath the controls they surround.
    for (const BuiltControl& b : built.controls)
        if (b.control->kind == ControlKind::GroupBox)
            b.widget->lower();
    keepLabelsClearOfNeighbours(built);
    fitButtonTexts(client);
    return built;
}

void centreOnDesktop(QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize size = window->frameGeometry().size();
    window->move(area.x() + (area.width() - size.width()) / 2,
                 area.y() + (area.height() - size.height()) / 2);
}

} // namespace pdt::app
