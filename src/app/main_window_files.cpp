// The main window's file commands: new, open (menu, recent files, drop, command line), save
// and save as, and where dropped files go.

#include "app/dialog_folders.h"
#include "app/editor_fields.h"
#include "app/file_kinds.h"
#include "app/main_window.h"
#include "app/pattern_list.h"
#include "app/posted.h"
#include "app/prompts.h"
#include "app/ui_texts.h"
#include "preview/picture_decoder.h"
#include "puzzle/open.h"
#include "text/cp932.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QListView>
#include <QMimeData>
#include <QUrl>

namespace pdt::app {

namespace {

// The password prompt's check: the entry's code page 932 bytes must equal the stored
// password exactly.
PasswordCheck passwordCheck(const std::string& stored) {
    return [stored](const QString& typed) -> std::optional<puzzle::UserMessage> {
        const auto bytes = text::toCp932(typed.toStdString());
        if (bytes && *bytes == stored)
            return std::nullopt;
        return puzzle::UserMessage{ui::kWrongPassword, ui::kCaptionInformation,
                                   puzzle::MessageIcon::None};
    };
}

} // namespace

void MainWindow::newDocument() {
    // Posted, so that what the running handler does is done first; the step is recorded as
    // the reset begins.
    post(this, [this] { startOver(true); });
}

void MainWindow::openFromMenu() {
    const FileDialogRequest request{
        ui::kOpenTitle, puzzleDataFilters(),
        folders_->proposedOpen(DialogFolders::Choice::PuzzleData, session_.document())};
    if (const std::optional<QString> chosen = prompts_.chooseOpenFile(this, request)) {
        folders_->rememberChoice(DialogFolders::Choice::PuzzleData, *chosen);
        openFile(*chosen);
    }
}

bool MainWindow::openFile(const QString& path) {
    const puzzle::ReadResult read = puzzle::ReadPuzzleDataFile(nativePath(path));
    if (read.refusal) {
        prompts_.showMessage(this, *read.refusal);
        return false;
    }
    const puzzle::OpenedFile& file = *read.file;
    if (!file.password.empty() && !prompts_.askPassword(this, passwordCheck(file.password)))
        return false;

    // Leaving an edit is an edit notification: it comes before the document is replaced,
    // which leaves it saved.
    c_.patternList->setFocus();
    session_.open(file);
    list_->rebuild();
    fields_->showDocumentValues(session_.document());
    list_->select(0, true);
    post(this, &MainWindow::showPattern);
    settings_.addRecentFile(QFileInfo(path).absoluteFilePath());
    // After the first pattern is shown.
    if (const auto warning = puzzle::DamageWarning(file))
        post(this, [this, message = *warning] { prompts_.showMessage(this, message); });
    return true;
}

bool MainWindow::checkBeforeSave() {
    const std::optional<session::SaveCheck> missing = session_.checkBeforeSave(fields_->screen());
    if (!missing)
        return true;
    prompts_.showMessage(this, missing->message);
    // The pattern the message names is shown, so the author can give it its picture.
    list_->selectOnly({missing->pattern}, missing->pattern);
    showPattern();
    return false;
}

void MainWindow::saveOverwrite() {
    const puzzle::Document& doc = session_.document();
    if (puzzle::IsNewDocument(doc)) {
        saveAs();
        return;
    }
    if (checkBeforeSave())
        saveTo(displayPath(doc.state.currentFilePath));
}

void MainWindow::saveAs() {
    if (!checkBeforeSave())
        return;
    const puzzle::Document& doc = session_.document();
    // A document with a file proposes that file; a new one its bare name in the folder
    // last used.
    QString proposed = displayPath(doc.state.currentFilePath);
    if (puzzle::IsNewDocument(doc))
        proposed = folders_->inStartFolder(proposed, EditorSettings::Folder::PuzzleData, doc);
    const FileDialogRequest request{ui::kSaveTitle, puzzleDataFilters(), proposed};
    const std::optional<QString> chosen = prompts_.chooseSaveFile(this, request);
    if (!chosen)
        return;
    folders_->remember(EditorSettings::Folder::PuzzleData, *chosen);
    // Replacing another existing file is asked first; the current file is the author's own.
    const QFileInfo target(displayPath(puzzle::TargetNameFor(nativePath(*chosen))));
    const QFileInfo current(displayPath(doc.state.currentFilePath));
    const bool own = !puzzle::IsNewDocument(doc) && current.exists() &&
                     target.canonicalFilePath() == current.canonicalFilePath();
    if (target.exists() && !own) {
        const Question replace{QString::fromUtf8(ui::kConfirmReplace)
                                   .arg(QDir::toNativeSeparators(target.filePath()))
                                   .toStdString(),
                               ui::kCaptionConfirmation, puzzle::MessageIcon::Information, false};
        if (!prompts_.ask(this, replace))
            return;
    }
    saveTo(*chosen);
}

void MainWindow::saveTo(const QString& chosen) {
    const puzzle::Document& doc = session_.document();
    const std::optional<std::string> password = fields_->passwordForSave(doc.state.password);
    if (!password) {
        prompts_.showMessage(
            this, {ui::kHintNotCp932, ui::kCaptionInformation, puzzle::MessageIcon::Error});
        return;
    }
    puzzle::SaveResult result;
    {
        const std::unique_ptr<ProgressReport> progress = prompts_.beginSaveProgress(this);
        result = session_.save(
            nativePath(chosen), *password,
            [&](std::uint64_t done, std::uint64_t total) { return progress->update(done, total); });
    }
    if (result.saved) {
        settings_.addRecentFile(displayPath(doc.state.currentFilePath));
        frames_->describePictures(doc, session_.shown());
    }
    if (result.message)
        prompts_.showMessage(this, *result.message);
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
    const int slot = frames_->slotAt(this, at);
    const DropPlace place = slot >= 0                   ? DropPlace::Frame
                            : list_->contains(this, at) ? DropPlace::List
                                                        : DropPlace::Window;
    // Handled once the drag has ended: the prompts it may show must not run inside it.
    post(this, [this, paths, place, slot] { dropFiles(paths, place, slot); });
}

void MainWindow::dropFiles(const QStringList& paths, DropPlace place, int slot) {
    std::vector<DroppedFile> files(size_t(paths.size()));
    if (place != DropPlace::Window) {
        for (qsizetype i = 0; i < paths.size(); ++i)
            files[size_t(i)] = {startsLikePuzzleDataFile(paths[i]),
                                paths.size() == 1 &&
                                    (!preview::pictureSizeOfFile(nativePath(paths[i])).isEmpty() ||
                                     isConvertiblePicture(paths[i]))};
    }
    switch (RouteDrop(place, files)) {
    case DropAction::RefuseCount:
        prompts_.showMessage(
            this, {ui::kOneFileOnly, ui::kCaptionInformation, puzzle::MessageIcon::Error});
        return;
    case DropAction::Open:
        openFile(paths.front());
        return;
    case DropAction::Attach:
        if (refuseSeveralPatterns())
            return;
        attachFile(slot, paths.front());
        session_.markEdited();
        return;
    case DropAction::AddPatterns:
        addPictureFiles(paths);
        return;
    }
}

} // namespace pdt::app
