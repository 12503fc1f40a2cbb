#pragma once
// The prompt for a puzzle data file's password, built from the PASSWORD template. OK (or
// Enter) hands the entry to the check; a refused entry shows the check's message owned by
// the prompt and leaves the prompt open with the entry. Cancel, Esc and the close box give
// up.

#include "app/prompts.h"

#include <QDialog>

class QLineEdit;

namespace pdt::app {

class PasswordDialog : public QDialog {
    Q_OBJECT
  public:
    PasswordDialog(QWidget* owner, PasswordCheck check, Prompts& messages);

    QLineEdit* passwordEdit() const { return edit_; }

    void accept() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    PasswordCheck check_;
    Prompts& messages_;
    QLineEdit* edit_ = nullptr;
    bool placed_ = false;
};

} // namespace pdt::app
