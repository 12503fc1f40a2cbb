// The main window's file commands: open (menu, recent files, drop, command line), save and
// save as.

#include "app/cp932_input.h"
#include "app/file_kinds.h"
#include "app/main_window.h"
#include "app/prompts.h"
#include "app/ui_texts.h"
#include "puzzle/open.h"
#include "puzzle/save.h"
#include "text/cp932.h"

#include <QCheckBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QUrl>

namespace pdt::app {

QString MainWindow::startFolder(EditorSettings::Folder kind) const {
    const QString remembered = settings_.lastFolder(kind);
    if (!remembered.isEmpty() && QFileInfo(remembered).isDir())
        return remembered;
    if (!puzzle::IsNewDocument(doc_))
        return QFileInfo(displayPath(doc_.state.currentFilePath)).absolutePath();
    return QString();
}

QString MainWindow::proposedOpen(const QString& previousChoice, EditorSettings::Folder kind) const {
    if (!previousChoice.isEmpty())
        return previousChoice;
    const QString folder = startFolder(kind);
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/');
}

void MainWindow::rememberFolder(EditorSettings::Folder kind, const QString& chosenFile) {
    settings_.setLastFolder(kind, QFileInfo(chosenFile).absolutePath());
}

bool MainWindow::choosePuzzleDataFile() {
    const FileDialogRequest request{
        ui::kOpenTitle, puzzleDataFilters(),
        proposedOpen(lastOpenChoice_, EditorSettings::Folder::PuzzleData)};
    const std::optional<QString> chosen = prompts_.chooseOpenFile(this, request);
    if (!chosen)
        return false;
    lastOpenChoice_ = *chosen;
    rememberFolder(EditorSettings::Folder::PuzzleData, *chosen);
    return true;
}

void MainWindow::openFromMenu() {
    if (!choosePuzzleDataFile())
        return;
    if (openPuzzleDataFile(lastOpenChoice_))
        setDirty(false);
}

void MainWindow::openRecentFile(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        settings_.removeRecentFile(path);
        fillRecentMenu();
        prompts_.showMessage(this, {QString::fromUtf8(ui::kRecentMissing).arg(path).toStdString(),
                                    ui::kCaptionInformation, puzzle::MessageIcon::Error});
        return;
    }
    if (openPuzzleDataFile(path))
        setDirty(false);
}

void MainWindow::dropFiles(const QStringList& paths) {
    if (paths.size() != 1) {
        prompts_.showMessage(
            this, {ui::kOneFileOnly, ui::kCaptionInformation, puzzle::MessageIcon::Error});
        return;
    }
    if (openPuzzleDataFile(paths.front()))
        setDirty(false);
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
    const QPoint at = event->position().toPoint();
    const int slot = previewSlotAt(at);
    const bool onList = listContains(at);
    // Handled once the drag has ended: the prompts it may show must not run inside it.
    QMetaObject::invokeMethod(
        this,
        [this, paths, slot, onList] {
            if (slot >= 0)
                dropFilesOnPreview(paths, slot);
            else if (onList)
                dropFilesOnList(paths);
            else
                dropFiles(paths);
        },
        Qt::QueuedConnection);
}

bool MainWindow::listContains(const QPoint& windowPos) const {
    return patternList_->rect().contains(patternList_->mapFrom(this, windowPos));
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

    // The document replaced is one undo away.
    recordStep(ui::kStepOpen, doc_.state.currentPattern);
    puzzle::ApplyOpenedFile(doc_, file);
    // Without the vendor box nothing can show or set the flag: this variant saves 0.
    if (!vendorInfo_)
        doc_.state.vendorFlag = 0;
    history_.markClean();

    patternList_->setFocus();
    rebuildList(doc_.patternCount());
    updateTitle();
    if (vendorInfo_)
        vendorInfo_->setChecked(doc_.state.vendorFlag != 0);
    showPasswordText();
    selectEntry(0, true);
    postShowPattern();
    settings_.addRecentFile(QFileInfo(path).absoluteFilePath());

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

bool MainWindow::checkBeforeSave() {
    commit();
    const auto refusal = puzzle::CheckPatternsBeforeSave(doc_);
    if (!refusal)
        return true;
    prompts_.showMessage(this, *refusal);
    // The pattern the message names is shown, so the author can give it its picture.
    for (int i = 0; i <= doc_.state.lastIndex; ++i) {
        const puzzle::PatternRecord& r = doc_.pattern(i);
        if (std::int64_t(r.puzzleImageSize) + r.finishedImageSize == 0) {
            showPatternNow(i);
            break;
        }
    }
    return false;
}

void MainWindow::saveOverwrite() {
    if (puzzle::IsNewDocument(doc_)) {
        saveAs();
        return;
    }
    if (!checkBeforeSave())
        return;
    saveTo(displayPath(doc_.state.currentFilePath));
}

void MainWindow::saveAs() {
    if (!checkBeforeSave())
        return;
    // A document with a file proposes that file; a new one its bare name in the folder
    // last used.
    QString proposed = displayPath(doc_.state.currentFilePath);
    if (puzzle::IsNewDocument(doc_)) {
        const QString folder = startFolder(EditorSettings::Folder::PuzzleData);
        if (!folder.isEmpty())
            proposed = QDir(folder).filePath(proposed);
    }
    const FileDialogRequest request{ui::kSaveTitle, puzzleDataFilters(), proposed};
    const std::optional<QString> chosen = prompts_.chooseSaveFile(this, request);
    if (!chosen)
        return;
    rememberFolder(EditorSettings::Folder::PuzzleData, *chosen);
    // Replacing another existing file is asked first; the current file is the author's own.
    const QString target = displayPath(puzzle::TargetNameFor(nativePath(*chosen)));
    const QFileInfo targetInfo(target);
    const QFileInfo currentInfo(displayPath(doc_.state.currentFilePath));
    const bool current = !puzzle::IsNewDocument(doc_) && currentInfo.exists() &&
                         targetInfo.canonicalFilePath() == currentInfo.canonicalFilePath();
    if (targetInfo.exists() && !current) {
        const Question replace{QString::fromUtf8(ui::kConfirmReplace)
                                   .arg(QDir::toNativeSeparators(target))
                                   .toStdString(),
                               ui::kCaptionConfirmation, puzzle::MessageIcon::Information, false};
        if (!prompts_.ask(this, replace))
            return;
    }
    saveTo(*chosen);
}

bool MainWindow::saveTo(const QString& chosen) {
    const std::optional<std::string> password = passwordForSave();
    if (!password) {
        prompts_.showMessage(
            this, {ui::kHintNotCp932, ui::kCaptionInformation, puzzle::MessageIcon::Error});
        return false;
    }

    const std::string target = puzzle::TargetNameFor(nativePath(chosen));
    // Older states may name pictures in a file this save replaces: the history keeps what
    // they need before it is gone.
    const puzzle::History::SavePreparation preparation = history_.prepareSave(doc_, target);
    puzzle::SaveResult result;
    {
        const std::unique_ptr<ProgressReport> progress = prompts_.beginSaveProgress(this);
        result = puzzle::SavePuzzleDataFile(
            doc_, nativePath(chosen), *password,
            [&](std::uint64_t done, std::uint64_t total) { return progress->update(done, total); });
    }
    if (result.saved) {
        history_.completeSave(preparation, doc_);
        history_.markClean();
        updateHistoryActions();
        settings_.addRecentFile(displayPath(doc_.state.currentFilePath));
        updateTitle();
        describePictures();
    }
    if (result.message)
        prompts_.showMessage(this, *result.message);
    if (result.saved)
        setDirty(false);
    return result.saved;
}

} // namespace pdt::app
