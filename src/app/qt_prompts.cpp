#include "app/qt_prompts.h"

#include "app/password_dialog.h"
#include "app/ui_texts.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QStringList>

namespace pdt::app {

namespace {

QMessageBox::Icon iconOf(puzzle::MessageIcon icon) {
    switch (icon) {
    case puzzle::MessageIcon::Information:
        return QMessageBox::Information;
    case puzzle::MessageIcon::Error:
        return QMessageBox::Critical;
    case puzzle::MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// "*.ADX" -> "*.[Aa][Dd][Xx]"
QString anyCase(const QString& pattern) {
    QString out;
    for (const QChar c : pattern) {
        if (c.isLetter() && c.toLower() != c.toUpper())
            out += QLatin1Char('[') + c.toUpper() + c.toLower() + QLatin1Char(']');
        else
            out += c;
    }
    return out;
}

const QFileDialog::Options kFileDialogOptions =
    QFileDialog::HideNameFilterDetails | QFileDialog::DontConfirmOverwrite;

class DialogProgress : public ProgressReport {
  public:
    DialogProgress(QWidget* owner, const char* label, const char* title)
        : dialog_(QString::fromUtf8(label), QString::fromUtf8(ui::kPasswordCancel), 0, kSteps,
                  owner) {
        dialog_.setWindowTitle(QString::fromUtf8(title));
        dialog_.setWindowModality(Qt::WindowModal);
        dialog_.setMinimumDuration(1000);
        dialog_.setAutoClose(false);
        dialog_.setAutoReset(false);
        dialog_.setValue(0);
    }
    bool update(std::uint64_t done, std::uint64_t total) override {
        const int step = total == 0 ? kSteps : int(std::min(done, total) * kSteps / total);
        dialog_.setValue(step);
        return !dialog_.wasCanceled();
    }

  private:
    static constexpr int kSteps = 1000;
    QProgressDialog dialog_;
};

} // namespace

QString qtFileFilter(const std::vector<FileFilter>& filters) {
    QStringList entries;
    for (const FileFilter& f : filters) {
        // Qt separates a filter's patterns with spaces where the system's dialogs take ';'.
        QStringList patterns;
        for (const QString& p : QString::fromStdString(f.pattern).split(QLatin1Char(';')))
            if (!p.trimmed().isEmpty())
                patterns.push_back(anyCase(p.trimmed()));
        if (patterns.isEmpty())
            patterns.push_back(QStringLiteral("*"));
        entries.push_back(QString::fromStdString(f.description) + QStringLiteral(" (") +
                          patterns.join(QLatin1Char(' ')) + QLatin1Char(')'));
    }
    return entries.join(QStringLiteral(";;"));
}

void QtPrompts::showMessage(QWidget* owner, const puzzle::UserMessage& message) {
    QMessageBox box(iconOf(message.icon), QString::fromStdString(message.caption),
                    QString::fromStdString(message.text), QMessageBox::Ok, owner);
    box.exec();
}

bool QtPrompts::ask(QWidget* owner, const Question& question) {
    QMessageBox box(iconOf(question.icon), QString::fromStdString(question.caption),
                    QString::fromStdString(question.text), QMessageBox::Yes | QMessageBox::No,
                    owner);
    box.setDefaultButton(question.yesIsDefault ? QMessageBox::Yes : QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> QtPrompts::chooseOpenFile(QWidget* owner, const FileDialogRequest& request) {
    const QString chosen =
        QFileDialog::getOpenFileName(owner, QString::fromStdString(request.title), request.proposed,
                                     qtFileFilter(request.filters), nullptr, kFileDialogOptions);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}

std::optional<QString> QtPrompts::chooseSaveFile(QWidget* owner, const FileDialogRequest& request) {
    const QString chosen =
        QFileDialog::getSaveFileName(owner, QString::fromStdString(request.title), request.proposed,
                                     qtFileFilter(request.filters), nullptr, kFileDialogOptions);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}

QStringList QtPrompts::chooseOpenFiles(QWidget* owner, const FileDialogRequest& request) {
    return QFileDialog::getOpenFileNames(owner, QString::fromStdString(request.title),
                                         request.proposed, qtFileFilter(request.filters), nullptr,
                                         kFileDialogOptions);
}

bool QtPrompts::askPassword(QWidget* owner, const PasswordCheck& check) {
    PasswordDialog dialog(owner, check, *this);
    return dialog.exec() == QDialog::Accepted;
}

std::unique_ptr<ProgressReport> QtPrompts::beginSaveProgress(QWidget* owner) {
    return std::make_unique<DialogProgress>(owner, ui::kSaveProgress, ui::kSaveTitle);
}

std::unique_ptr<ProgressReport> QtPrompts::beginPictureCheckProgress(QWidget* owner) {
    return std::make_unique<DialogProgress>(owner, ui::kCheckProgress, ui::kCheckTitle);
}

} // namespace pdt::app
