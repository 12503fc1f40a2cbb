#pragma once
// Everything the editor asks of the user or tells the user goes through Prompts: message
// boxes, the file dialogs, the password prompt and the save progress. The window holds a
// Prompts; the real one shows Qt dialogs, tests hand in a scripted one.

#include "puzzle/user_message.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace pdt::app {

// A Yes/No question.
struct Question {
    std::string text; // UTF-8
    std::string caption;
    puzzle::MessageIcon icon = puzzle::MessageIcon::None;
    bool yesIsDefault = false;
};

// One entry of a file dialog's type list.
struct FileFilter {
    std::string description; // shown as it is, e.g. "連結ﾌｧｲﾙ(*.ADX)" (UTF-8)
    std::string pattern;     // "*.bmp;*.jpg", matched in any letter case; empty: every file

    bool operator==(const FileFilter&) const = default;
};

struct FileDialogRequest {
    std::string title;               // UTF-8
    std::vector<FileFilter> filters; // in the order offered; the first is selected
    QString proposed;                // initial file name (may be a bare name or empty)
};

// Decides on one entry of the password prompt: nothing to accept it (the prompt closes),
// or the message to show while the prompt stays open with the entry.
using PasswordCheck = std::function<std::optional<puzzle::UserMessage>(const QString& typed)>;

// Reports the progress of a long operation. update() returns false once the user has
// asked to cancel. Destroying it closes whatever it showed.
class ProgressReport {
  public:
    virtual ~ProgressReport() = default;
    virtual bool update(std::uint64_t done, std::uint64_t total) = 0;
};

class Prompts {
  public:
    virtual ~Prompts() = default;

    // A modal message box owned by `owner`, with an OK button.
    virtual void showMessage(QWidget* owner, const puzzle::UserMessage& message) = 0;
    // True for Yes.
    virtual bool ask(QWidget* owner, const Question& question) = 0;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<QString> chooseOpenFile(QWidget* owner,
                                                  const FileDialogRequest& request) = 0;
    virtual std::optional<QString> chooseSaveFile(QWidget* owner,
                                                  const FileDialogRequest& request) = 0;
    // Several existing files at once; empty when the user cancelled.
    virtual QStringList chooseOpenFiles(QWidget* owner, const FileDialogRequest& request) = 0;
    // Runs the password prompt until `check` accepts an entry (true) or the user cancels
    // or closes it (false). A message `check` returns is shown owned by the prompt.
    virtual bool askPassword(QWidget* owner, const PasswordCheck& check) = 0;
    // Progress of a save; shown only when the save lasts long enough to need it.
    virtual std::unique_ptr<ProgressReport> beginSaveProgress(QWidget* owner) = 0;
    // Progress of the checks of pictures about to be attached; shown the same way.
    virtual std::unique_ptr<ProgressReport> beginPictureCheckProgress(QWidget* owner) = 0;
};

} // namespace pdt::app
