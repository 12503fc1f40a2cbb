// The main window's file commands: open (menu, drop, command line) and save.

#include "app/cp932_input.h"
#include "app/main_window.h"
#include "app/prompts.h"
#include "app/ui_texts.h"
#include "puzzle/open.h"
#include "puzzle/save.h"
#include "text/cp932.h"

#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QUrl>

namespace pdt::app {

namespace {

std::string nativePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString displayPath(const std::string& native) {
    return QFile::decodeName(QByteArray::fromStdString(native));
}

std::vector<FileFilter> puzzleDataFilters() {
    return {{ui::kPuzzleDataFilter, ui::kPuzzleDataPattern}};
}

} // namespace

bool MainWindow::choosePuzzleDataFile() {
    const FileDialogRequest request{ui::kOpenTitle, puzzleDataFilters(), lastOpenChoice_};
    const std::optional<QString> chosen = prompts_.chooseOpenFile(this, request);
    if (!chosen)
        return false;
    lastOpenChoice_ = *chosen;
    return true;
}

void MainWindow::openFromMenu() {
    if (!choosePuzzleDataFile())
        return;
    if (openPuzzleDataFile(lastOpenChoice_))
        doc_.state.dirty = false;
}

void MainWindow::dropFiles(const QStringList& paths) {
    if (paths.size() != 1) {
        prompts_.showMessage(
            this, {ui::kOneFileOnly, ui::kCaptionInformation, puzzle::MessageIcon::Error});
        return;
    }
    if (openPuzzleDataFile(paths.front()))
        doc_.state.dirty = false;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        paths.push_back(url.toLocalFile());
    event->acceptProposedAction();
    const int slot = previewSlotAt(event->position().toPoint());
    // Handled once the drag has ended: the prompts it may show must not run inside it.
    QMetaObject::invokeMethod(
        this,
        [this, paths, slot] {
            if (slot >= 0)
                dropFilesOnPreview(paths, slot);
            else
                dropFiles(paths);
        },
        Qt::QueuedConnection);
}

bool MainWindow::openPuzzleDataFile(const QString& path) {
    puzzle::ReadResult read = puzzle::ReadPuzzleDataFile(nativePath(path));
    if (read.refusal) {
        prompts_.showMessage(this, *read.refusal);
        return false;
    }
    const puzzle::OpenedFile& file = *read.file;
    if (!file.password.empty()) {
        // The entry's code page 932 bytes must equal the stored password exactly.
        const auto check = [&](const QString& typed) -> std::optional<puzzle::UserMessage> {
            const auto bytes = text::toCp932(typed.toStdString());
            if (bytes && *bytes == file.password)
                return std::nullopt;
            return puzzle::UserMessage{ui::kWrongPassword, ui::kCaptionInformation,
                                       puzzle::MessageIcon::None};
        };
        if (!prompts_.askPassword(this, check))
            return false;
    }

    puzzle::ApplyOpenedFile(doc_, file);
    // Without the vendor box nothing can show or set the flag: this variant saves 0.
    if (!vendorInfo_)
        doc_.state.vendorFlag = 0;

    patternList_->setFocus();
    rebuildList(doc_.patternCount());
    setWindowTitle(QString::fromUtf8(ui::kTitleWithFile)
                       .arg(QString::fromUtf8(ui::kToolName), displayPath(file.path)));
    if (vendorInfo_)
        vendorInfo_->setChecked(doc_.state.vendorFlag != 0);
    showPasswordText();
    selectEntry(0, true);
    postShowPattern();

    // After the first pattern is shown, and after the caller has cleared `dirty`.
    if (const auto warning = puzzle::DamageWarning(file))
        QMetaObject::invokeMethod(
            this, [this, message = *warning] { prompts_.showMessage(this, message); },
            Qt::QueuedConnection);
    return true;
}

// Setting the password edit's text is a change of that edit like any other: it marks the
// document dirty, which the callers of reset and open clear afterwards.
void MainWindow::showPasswordText() {
    passwordGuard_->setText(QString::fromStdString(text::fromCp932(doc_.state.password)));
}

// The password to save: the stored bytes while the edit still shows them untouched, else
// the code page 932 form of what the user typed.
std::optional<std::string> MainWindow::passwordForSave() const {
    if (!passwordGuard_->userModified())
        return doc_.state.password;
    return text::toCp932(password_->text().toStdString());
}

void MainWindow::save() {
    commit();
    if (const auto refusal = puzzle::CheckPatternsBeforeSave(doc_)) {
        prompts_.showMessage(this, *refusal);
        return;
    }
    const FileDialogRequest request{ui::kSaveTitle, puzzleDataFilters(),
                                    displayPath(doc_.state.currentFilePath)};
    const std::optional<QString> chosen = prompts_.chooseSaveFile(this, request);
    if (!chosen)
        return;
    const std::optional<std::string> password = passwordForSave();
    if (!password) {
        prompts_.showMessage(
            this, {ui::kHintNotCp932, ui::kCaptionInformation, puzzle::MessageIcon::Error});
        return;
    }

    puzzle::SaveResult result;
    {
        const std::unique_ptr<ProgressReport> progress = prompts_.beginSaveProgress(this);
        result = puzzle::SavePuzzleDataFile(
            doc_, nativePath(*chosen), *password,
            [&](std::uint64_t done, std::uint64_t total) { return progress->update(done, total); });
    }
    if (result.message)
        prompts_.showMessage(this, *result.message);
    if (result.saved)
        doc_.state.dirty = false;
}

} // namespace pdt::app
