#include "app/password_dialog.h"

#include "app/dialog_builder.h"

#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace pdt::app {

PasswordDialog::PasswordDialog(QWidget* owner, PasswordCheck check, Prompts& messages)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      check_(std::move(check)), messages_(messages) {
    const DialogTemplate& t = PasswordDialogTemplate();
    setObjectName(QString::fromUtf8(t.name));
    setWindowTitle(QString::fromUtf8(t.caption));

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    const BuiltDialog built = buildDialog(t, client);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(client);

    for (const BuiltControl& b : built.controls) {
        if (b.control->id == IDC_PASSWORD)
            edit_ = static_cast<QLineEdit*>(b.widget);
        else if (b.control->id == IDOK)
            connect(static_cast<QPushButton*>(b.widget), &QPushButton::clicked, this,
                    &PasswordDialog::accept);
        else if (b.control->id == IDCANCEL)
            connect(static_cast<QPushButton*>(b.widget), &QPushButton::clicked, this,
                    &PasswordDialog::reject);
    }
}

void PasswordDialog::accept() {
    if (auto refusal = check_(edit_->text())) {
        messages_.showMessage(this, *refusal);
        edit_->setFocus();
        return;
    }
    QDialog::accept();
}

void PasswordDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!placed_) {
        placed_ = true;
        centreOnDesktop(this);
        edit_->clear();
        edit_->setFocus();
    }
}

} // namespace pdt::app
