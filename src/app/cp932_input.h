#pragma once
// Text the user types into the editor's edits must fit a code page 932 field: comments
// hold at most 256 bytes with their line breaks stored as CR LF, the password 16 bytes.
// A change that does not fit, or that holds a character code page 932 cannot represent,
// is refused where it is made: the edit goes back to its previous text and a hint says
// why, so nothing is ever stored as '?' or cut off silently.

#include <QObject>
#include <QString>

#include <optional>
#include <string>
#include <string_view>

class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace pdt::app {

enum class InputCheck { Accepted, NotCp932, TooLong, Space };

enum class LineBreaks { None, CrLf };

// How an edit's text (line breaks as '\n') fares against a field of maxBytes.
InputCheck checkCp932Input(const QString& text, int maxBytes, LineBreaks lineBreaks);

// A multi-line edit's text in the stored form: code page 932 with CR LF line breaks.
// Nothing when a character cannot be represented.
std::optional<std::string> toStoredComment(const QString& editText);
// The stored form shown in a multi-line edit: CR LF line breaks become '\n'.
QString fromStoredComment(std::string_view cp932);

// Guards one edit. Programmatic text goes through setText(); every other change counts as
// the user's and is checked.
class Cp932InputGuard : public QObject {
    Q_OBJECT
  public:
    Cp932InputGuard(QPlainTextEdit* edit, int maxBytes);
    Cp932InputGuard(QLineEdit* edit, int maxBytes);

    // Sets the edit's text without a check and without counting as the user's change.
    void setText(const QString& text);
    QString text() const;
    // A password ends at its first space when the file is read back, so it may hold none.
    void setRefusesSpaces(bool refuse) { refusesSpaces_ = refuse; }
    // True once the user changed the text after the last setText().
    bool userModified() const { return userModified_; }

  signals:
    // The user changed the text (also when the change was refused and undone).
    void userChanged();
    // A change was refused; `hint` is what the user was shown.
    void refused(const QString& hint);

  private:
    void onTextChanged();
    QString currentText() const;
    int cursorPosition() const;
    void restore(int cursor);
    QWidget* widget() const;

    QPlainTextEdit* multiLine_ = nullptr;
    QLineEdit* singleLine_ = nullptr;
    int maxBytes_;
    bool refusesSpaces_ = false;
    QString accepted_;
    bool programmatic_ = false;
    bool userModified_ = false;
};

} // namespace pdt::app
