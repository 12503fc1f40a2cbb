#include "app/cp932_input.h"

#include "app/ui_texts.h"
#include "text/cp932.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolTip>

namespace pdt::app {

namespace {

constexpr int kHintMilliseconds = 4000;

QString withCrLf(const QString& text) {
    QString out = text;
    out.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return out;
}

} // namespace

InputCheck checkCp932Input(const QString& text, int maxBytes, LineBreaks lineBreaks) {
    const QString stored = lineBreaks == LineBreaks::CrLf ? withCrLf(text) : text;
    const std::optional<std::string> bytes = text::toCp932(stored.toStdString());
    if (!bytes)
        return InputCheck::NotCp932;
    if (bytes->size() > size_t(maxBytes))
        return InputCheck::TooLong;
    return InputCheck::Accepted;
}

std::optional<std::string> toStoredComment(const QString& editText) {
    return text::toCp932(withCrLf(editText).toStdString());
}

QString fromStoredComment(std::string_view cp932) {
    QString shown = QString::fromStdString(text::fromCp932(cp932));
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

Cp932InputGuard::Cp932InputGuard(QPlainTextEdit* edit, int maxBytes)
    : QObject(edit), multiLine_(edit), maxBytes_(maxBytes) {
    accepted_ = edit->toPlainText();
    connect(edit, &QPlainTextEdit::textChanged, this, &Cp932InputGuard::onTextChanged);
}

Cp932InputGuard::Cp932InputGuard(QLineEdit* edit, int maxBytes)
    : QObject(edit), singleLine_(edit), maxBytes_(maxBytes) {
    accepted_ = edit->text();
    connect(edit, &QLineEdit::textChanged, this, &Cp932InputGuard::onTextChanged);
}

void Cp932InputGuard::setText(const QString& text) {
    programmatic_ = true;
    if (multiLine_)
        multiLine_->setPlainText(text);
    else
        singleLine_->setText(text);
    programmatic_ = false;
    accepted_ = text;
    userModified_ = false;
}

QString Cp932InputGuard::text() const {
    return currentText();
}

QString Cp932InputGuard::currentText() const {
    return multiLine_ ? multiLine_->toPlainText() : singleLine_->text();
}

int Cp932InputGuard::cursorPosition() const {
    return multiLine_ ? multiLine_->textCursor().position() : singleLine_->cursorPosition();
}

QWidget* Cp932InputGuard::widget() const {
    return multiLine_ ? static_cast<QWidget*>(multiLine_) : singleLine_;
}

void Cp932InputGuard::restore(int cursor) {
    programmatic_ = true;
    if (multiLine_) {
        multiLine_->setPlainText(accepted_);
        QTextCursor c = multiLine_->textCursor();
        c.setPosition(cursor);
        multiLine_->setTextCursor(c);
    } else {
        singleLine_->setText(accepted_);
        singleLine_->setCursorPosition(cursor);
    }
    programmatic_ = false;
}

void Cp932InputGuard::onTextChanged() {
    if (programmatic_)
        return;
    const QString now = currentText();
    if (now == accepted_)
        return; // a format-only change
    const InputCheck check =
        refusesSpaces_ && now.contains(QLatin1Char(' '))
            ? InputCheck::Space
            : checkCp932Input(now, maxBytes_, multiLine_ ? LineBreaks::CrLf : LineBreaks::None);
    if (check == InputCheck::Accepted) {
        accepted_ = now;
        userModified_ = true;
        emit userChanged();
        return;
    }
    // Put the caret where it was before the change: back by what the change added.
    const int grown = int(now.size()) - int(accepted_.size());
    const int cursor = std::clamp(cursorPosition() - std::max(grown, 0), 0, int(accepted_.size()));
    restore(cursor);

    const QString hint = check == InputCheck::NotCp932 ? QString::fromUtf8(ui::kHintNotCp932)
                         : check == InputCheck::Space
                             ? QString::fromUtf8(ui::kHintNoSpace)
                             : QString::fromUtf8(ui::kHintTooLong).arg(maxBytes_);
    QWidget* w = widget();
    QToolTip::showText(w->mapToGlobal(QPoint(0, w->height())), hint, w, QRect(), kHintMilliseconds);
    emit userChanged();
    emit refused(hint);
}

} // namespace pdt::app
