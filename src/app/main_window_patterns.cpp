// The main window's pattern commands: add, delete, move (buttons and keys; drags arrive
// through the list model), duplicate, and new patterns made from picture files.

#include "app/dialog_folders.h"
#include "app/editor_fields.h"
#include "app/file_kinds.h"
#include "app/main_window.h"
#include "app/natural_order.h"
#include "app/pattern_list.h"
#include "app/picture_intake.h"
#include "app/posted.h"
#include "app/prompts.h"
#include "app/ui_texts.h"

#include <QListView>

namespace pdt::app {

void MainWindow::showTable(const session::TableResult& result, void (PatternList::*entries)()) {
    if (result.refusal)
        prompts_.showMessage(this, *result.refusal);
    if (!result.selection)
        return;
    if (entries)
        (list_->*entries)();
    list_->selectOnly(result.selection->selected, result.selection->caret);
    post(this, &MainWindow::showPattern);
}

void MainWindow::addPattern() {
    c_.patternList->setFocus();
    showTable(session_.addPattern(fields_->screen()), &PatternList::append);
}

void MainWindow::deletePatterns() {
    showTable(session_.deletePatterns(fields_->screen(), list_->selectedRows()),
              &PatternList::rebuild);
}

void MainWindow::movePatterns(int step) {
    showTable(session_.moveByOne(fields_->screen(), list_->selectedRows(), step), nullptr);
}

void MainWindow::duplicatePattern() {
    showTable(session_.duplicateShown(fields_->screen()), &PatternList::rebuild);
}

void MainWindow::addPatternsFromPictures() {
    const FileDialogRequest request{
        ui::kOpenTitle, pictureFilters(),
        folders_->startFolder(EditorSettings::Folder::Picture, session_.document())};
    const QStringList chosen = prompts_.chooseOpenFiles(this, request);
    if (chosen.isEmpty())
        return;
    folders_->remember(EditorSettings::Folder::Picture, chosen.front());
    addPictureFiles(chosen);
}

void MainWindow::addPictureFiles(const QStringList& paths) {
    std::vector<std::string> files;
    for (const QString& path : SortedByName(paths))
        files.push_back(nativePath(path));
    intake_->check(files, [this, files](const std::vector<session::PictureFacts>& facts) {
        const session::PicturePatternsResult result =
            session_.addPicturePatterns(fields_->screen(), files, facts);
        if (result.selection) {
            list_->rebuild();
            list_->selectOnly(result.selection->selected, result.selection->caret);
            showPattern();
        }
        for (const puzzle::UserMessage& message : result.messages)
            prompts_.showMessage(this, message);
    });
}

} // namespace pdt::app
