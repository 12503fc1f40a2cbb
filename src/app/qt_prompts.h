#pragma once
// Prompts shown with Qt's message boxes, file dialogs, the password prompt and a progress
// dialog.

#include "app/prompts.h"

namespace pdt::app {

class QtPrompts : public Prompts {
  public:
    void showMessage(QWidget* owner, const puzzle::UserMessage& message) override;
    bool ask(QWidget* owner, const Question& question) override;
    std::optional<QString> chooseOpenFile(QWidget* owner,
                                          const FileDialogRequest& request) override;
    std::optional<QString> chooseSaveFile(QWidget* owner,
                                          const FileDialogRequest& request) override;
    QStringList chooseOpenFiles(QWidget* owner, const FileDialogRequest& request) override;
    bool askPassword(QWidget* owner, const PasswordCheck& check) override;
    std::unique_ptr<ProgressReport> beginSaveProgress(QWidget* owner) override;
    std::unique_ptr<ProgressReport> beginPictureCheckProgress(QWidget* owner) override;
};

// The filter string Qt's file dialogs take for a list of filters: each description kept
// whole (the dialog hides the pattern Qt appends), followed by its pattern made to match in
// any letter case, as the system's own dialogs match it; an empty pattern matches every file.
QString qtFileFilter(const std::vector<FileFilter>& filters);

} // namespace pdt::app
