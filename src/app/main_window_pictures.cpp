// The main window's picture commands on slot 0 (the puzzle picture) and 1 (the finished
// picture): add, extract and delete. They act on the pattern shown, wherever the list's
// caret is. Pictures are checked (picture_intake.h) before they are attached.

#include "app/dialog_folders.h"
#include "app/editor_fields.h"
#include "app/file_kinds.h"
#include "app/main_window.h"
#include "app/pattern_list.h"
#include "app/picture_intake.h"
#include "app/prompts.h"
#include "app/ui_texts.h"
#include "puzzle/pictures.h"

namespace pdt::app {

bool MainWindow::refuseSeveralPatterns() {
    if (list_->selectedRows().size() <= 1)
        return false;
    prompts_.showMessage(
        this, {ui::kSeveralPatterns, ui::kCaptionInformation, puzzle::MessageIcon::Error});
    return true;
}

void MainWindow::addImage(int slot) {
    if (refuseSeveralPatterns())
        return;
    const FileDialogRequest request{
        ui::kOpenTitle, pictureFilters(),
        folders_->proposedOpen(DialogFolders::Choice::Picture, session_.document())};
    if (const std::optional<QString> chosen = prompts_.chooseOpenFile(this, request)) {
        folders_->rememberChoice(DialogFolders::Choice::Picture, *chosen);
        attachFile(slot, *chosen);
    }
    // Also after a cancelled dialog: the command counts as an edit.
    session_.markEdited();
}

void MainWindow::attachFile(int slot, const QString& path) {
    const int shown = session_.shown();
    const std::string file = nativePath(path);
    intake_->check({file}, [this, index = shown, slot, file](const auto& facts) {
        if (const auto refusal = session_.attachPicture(index, slot, file, facts.front())) {
            prompts_.showMessage(this, *refusal);
            return;
        }
        const QSize size =
            frames_->show(slot, puzzle::SlotSource(session_.document(), index, slot));
        // A finished picture leaves the choices as they are.
        if (slot == puzzle::kPuzzleSlot)
            fillPieceChoices(index, size);
        frames_->describePictures(session_.document(), index);
        followDocument();
    });
}

void MainWindow::extractImage(int slot) {
    if (refuseSeveralPatterns())
        return;
    const puzzle::Document& doc = session_.document();
    const int index = session_.shown();
    if (const auto refusal = puzzle::CheckExtract(doc, index, slot)) {
        prompts_.showMessage(this, *refusal);
        return;
    }
    const QString proposed = folders_->inStartFolder(
        QString::fromStdString(puzzle::DefaultExtractName(doc, index, slot)),
        EditorSettings::Folder::Extract, doc);
    const FileDialogRequest request{ui::kSaveTitle, {{ui::kExtractFilter, ""}}, proposed};
    const std::optional<QString> chosen = prompts_.chooseSaveFile(this, request);
    if (!chosen)
        return;
    folders_->remember(EditorSettings::Folder::Extract, *chosen);
    prompts_.showMessage(this, session_.extract(index, slot, nativePath(*chosen)).message);
}

// No selection-count test here, and the piece count and its choices stay as they are.
void MainWindow::deleteImage(int slot) {
    session_.deletePicture(session_.shown(), slot);
    frames_->clear(slot);
    frames_->describePictures(session_.document(), session_.shown());
    followDocument();
}

} // namespace pdt::app
