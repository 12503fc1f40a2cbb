// The main window's picture commands on slot 0 (the puzzle picture) and 1 (the finished
// picture): add, extract and delete. They act on the pattern shown, wherever the list's
// caret is. Pictures are checked before they are attached, off the GUI thread.

#include "app/dialog_folders.h"
#include "app/editor_fields.h"
#include "app/file_kinds.h"
#include "app/input_pause.h"
#include "app/main_window.h"
#include "app/pattern_list.h"
#include "app/picture_mending.h"
#include "app/picture_refusal.h"
#include "app/posted.h"
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

void MainWindow::checkPictures(std::vector<std::string> nativePaths, PicturesChecked then) {
    runPictureJobs(checkJobs(nativePaths),
                   [this, paths = nativePaths, then = std::move(then)](const auto& facts) {
                       mendPictures(paths, facts, then);
                   });
}

void MainWindow::runPictureJobs(std::vector<PictureJob> jobs, PicturesChecked then) {
    // One run at a time, in the order asked: a command that comes while another's pictures
    // are checked (only the program itself can give one then) waits for its turn.
    if (checking_) {
        waitingChecks_.emplace_back(std::move(jobs), std::move(then));
        return;
    }
    pause_ = std::make_unique<InputPause>(this);
    auto* run =
        new PictureCheckRun(std::move(jobs), prompts_.beginPictureCheckProgress(this), this);
    checking_ = run;
    const auto ended = [this, run] {
        run->deleteLater();
        checking_ = nullptr;
        pause_.reset();
        if (waitingChecks_.empty())
            return;
        auto [jobs, next] = std::move(waitingChecks_.front());
        waitingChecks_.pop_front();
        post(this, [this, jobs = std::move(jobs), next = std::move(next)]() mutable {
            runPictureJobs(std::move(jobs), std::move(next));
        });
    };
    connect(run, &PictureCheckRun::cancelled, this, ended);
    connect(run, &PictureCheckRun::finished, this,
            [ended, then = std::move(then)](const std::vector<session::PictureFacts>& facts) {
                ended();
                then(facts);
            });
}

void MainWindow::mendPictures(const std::vector<std::string>& nativePaths,
                              std::vector<session::PictureFacts> facts, PicturesChecked then) {
    const MendingOffer offer = mendingOffer(facts);
    std::vector<PictureJob> jobs;
    std::vector<size_t> mended;
    if (!offer.convert.empty() && prompts_.ask(this, conversionQuestion(facts, offer.convert)))
        for (const size_t i : offer.convert) {
            jobs.push_back(made_->conversion(nativePaths[i]));
            mended.push_back(i);
        }
    if (!offer.turn.empty() && prompts_.ask(this, uprightQuestion(offer.turn.size())))
        for (const size_t i : offer.turn) {
            jobs.push_back(made_->turning(nativePaths[i]));
            mended.push_back(i);
        }
    if (jobs.empty()) {
        then(facts);
        return;
    }
    runPictureJobs(std::move(jobs), [facts = std::move(facts), mended, then = std::move(then)](
                                        const std::vector<session::PictureFacts>& made) mutable {
        for (size_t k = 0; k < mended.size() && k < made.size(); ++k)
            facts[mended[k]] = made[k];
        then(facts);
    });
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
    checkPictures({file}, [this, index = shown, slot, file](const auto& facts) {
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
