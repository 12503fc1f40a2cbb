// The main window's pictures: the two previews, the piece-count choices of the puzzle
// picture, and the add, extract and delete commands of both slots. Picture commands act on
// the pattern shown, wherever the list's caret is.

#include "app/file_kinds.h"
#include "app/large_view.h"
#include "app/main_window.h"
#include "app/picture_refusal.h"
#include "app/preview_frames.h"
#include "app/prompts.h"
#include "app/thumbnail_delegate.h"
#include "app/ui_texts.h"
#include "preview/picture_decoder.h"
#include "puzzle/pictures.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QLocale>

namespace pdt::app {

namespace {

puzzle::UserMessage smallPictureMessage() {
    return {std::string(pieces::kSmallPictureText), std::string(pieces::kSmallPictureCaption),
            puzzle::MessageIcon::None};
}

} // namespace

void MainWindow::repaintNow() {
    centralWidget()->repaint();
}

void MainWindow::renderSlot(int index, int slot) {
    const puzzle::ImageSource source = puzzle::SlotSource(doc_, index, slot);
    frames_->show(slot, source);
    const QSize size = preview::pictureSizeOf(source);
    decodedWidth_ = size.width();
    decodedHeight_ = size.height();
}

bool MainWindow::previewsPending() const {
    return frames_->pending(puzzle::kPuzzleSlot) || frames_->pending(puzzle::kFinishedSlot);
}

int MainWindow::shownPieceCount() const {
    if (minPieces_->count() > 0)
        return pieces::CommittedPieceCount(pieceGridChoices_, minPieces_->currentIndex());
    return doc_.pattern(doc_.state.currentPattern).pieceCount;
}

void MainWindow::showLargeView(int slot) {
    largeView_->showPicture(slot, puzzle::SlotSource(doc_, doc_.state.currentPattern, slot),
                            shownPieceCount());
}

void MainWindow::setThumbnailsShown(bool shown) {
    settings_.setThumbnailsShown(shown);
    thumbnails_->setThumbnailsShown(shown);
}

void MainWindow::followDocument() {
    const int shown = doc_.state.currentPattern;
    largeView_->setSource(puzzle::SlotSource(doc_, shown, largeView_->slot()));
    largeView_->setPieceCount(shownPieceCount());
    patternList_->viewport()->update();
    // The patterns around the one shown are decoded ahead while the author rests.
    std::vector<puzzle::ImageSource> ahead;
    for (const int i : {shown + 1, shown - 1})
        if (i >= 0 && i <= doc_.state.lastIndex)
            for (const int slot : {puzzle::kPuzzleSlot, puzzle::kFinishedSlot})
                ahead.push_back(puzzle::SlotSource(doc_, i, slot));
    frames_->prefetch(ahead);
}

void MainWindow::fillPieceChoices(int index) {
    minPieces_->clear();
    const pieces::PieceChoices choices =
        pieces::FillPieceChoices(pieceGridChoices_, decodedWidth_, decodedHeight_);
    switch (choices.outcome) {
    case pieces::PieceChoices::Outcome::NoPicture:
        return;
    case pieces::PieceChoices::Outcome::Accepted:
        for (int i = 0; i < choices.count; ++i)
            minPieces_->addItem(QString::number(pieceGridChoices_[size_t(i)].pieceCount()));
        // Set by the program, so no commit follows: that waits for the user's choice.
        minPieces_->setCurrentIndex(pieces::PreselectIndex(pieceGridChoices_, choices.count,
                                                           doc_.pattern(index).pieceCount));
        patternList_->setFocus();
        return;
    case pieces::PieceChoices::Outcome::Refused:
        puzzle::ClearImage(doc_, index, puzzle::kPuzzleSlot);
        frames_->clear(puzzle::kPuzzleSlot);
        prompts_.showMessage(this, smallPictureMessage());
        return;
    }
}

bool MainWindow::refuseSeveralPatterns() {
    if (selectedRows().size() <= 1)
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
        proposedOpen(lastPictureChoice_, EditorSettings::Folder::Picture)};
    if (const std::optional<QString> chosen = prompts_.chooseOpenFile(this, request)) {
        lastPictureChoice_ = *chosen;
        rememberFolder(EditorSettings::Folder::Picture, *chosen);
        attachPictureFile(doc_.state.currentPattern, slot, *chosen);
    }
    // Also after a cancelled dialog: the command counts as an edit.
    markDirty();
}

// Only a picture that can be shown is attached, and a puzzle picture only when it offers
// piece counts: a refused picture changes nothing, not even the picture it would replace.
bool MainWindow::attachPictureFile(int index, int slot, const QString& path) {
    const std::string native = nativePath(path);
    const auto checked = checkPictures({native}, prompts_.beginPictureCheckProgress(this).get());
    if (!checked)
        return false;
    if (const auto& problem = checked->front().refusal) {
        prompts_.showMessage(this, *problem);
        return false;
    }
    if (slot == puzzle::kPuzzleSlot) {
        const QSize size = checked->front().size;
        pieces::PieceGridTable scratch{};
        if (pieces::FillPieceChoices(scratch, size.width(), size.height()).outcome !=
            pieces::PieceChoices::Outcome::Accepted) {
            prompts_.showMessage(this, smallPictureMessage());
            return false;
        }
    }
    const puzzle::Document before = doc_;
    if (const auto refusal = puzzle::AttachPicture(doc_, index, slot, native)) {
        prompts_.showMessage(this, *refusal);
        return false;
    }
    recordStep(before, ui::kStepAttachPicture, index);
    renderSlot(index, slot);
    // A finished picture leaves the choices as they are.
    if (slot == puzzle::kPuzzleSlot)
        fillPieceChoices(index);
    describePictures();
    followDocument();
    return true;
}

void MainWindow::extractImage(int slot) {
    if (refuseSeveralPatterns())
        return;
    const int index = doc_.state.currentPattern;
    if (const auto refusal = puzzle::CheckExtract(doc_, index, slot)) {
        prompts_.showMessage(this, *refusal);
        return;
    }
    QString proposed = QString::fromStdString(puzzle::DefaultExtractName(doc_, index, slot));
    const QString folder = startFolder(EditorSettings::Folder::Extract);
    if (!folder.isEmpty())
        proposed = QDir(folder).filePath(proposed);
    const FileDialogRequest request{ui::kSaveTitle, {{ui::kExtractFilter, ""}}, proposed};
    const std::optional<QString> chosen = prompts_.chooseSaveFile(this, request);
    if (!chosen)
        return;
    rememberFolder(EditorSettings::Folder::Extract, *chosen);
    // The file replaced may be one an older state reads its pictures from.
    history_.protectFile(doc_, nativePath(*chosen));
    const puzzle::ExtractResult result =
        puzzle::ExtractPicture(doc_, index, slot, nativePath(*chosen));
    prompts_.showMessage(this, result.message);
}

// No selection-count test here, and the piece count and its choices stay as they are.
void MainWindow::deleteImage(int slot) {
    const int index = doc_.state.currentPattern;
    const puzzle::PatternRecord& r = doc_.pattern(index);
    if (puzzle::slotSize(r, slot) != 0 || puzzle::slotOffset(r, slot) != 0 ||
        !puzzle::fieldText(puzzle::slotPath(r, slot)).empty())
        recordStep(ui::kStepDeletePicture, index);
    puzzle::ClearImage(doc_, index, slot);
    frames_->clear(slot);
    describePictures();
    followDocument();
    markDirty();
}

void MainWindow::describePictures() {
    const int index = doc_.state.currentPattern;
    for (const auto& [frame, slot] :
         {std::pair{puzzleFrame_, puzzle::kPuzzleSlot}, {finishedFrame_, puzzle::kFinishedSlot}}) {
        const puzzle::ImageSource source = puzzle::SlotSource(doc_, index, slot);
        QString text;
        if (source.kind != puzzle::ImageSource::Kind::Empty) {
            const QSize size =
                source.kind == puzzle::ImageSource::Kind::CurrentFileRange
                    ? preview::pictureSizeOfRange(source.file, source.offset, source.size)
                    : preview::pictureSizeOfFile(source.file);
            const QString name =
                QString::fromStdString(puzzle::DefaultExtractName(doc_, index, slot));
            text = QString::fromUtf8(ui::kPictureInfo)
                       .arg(name.isEmpty() ? QFileInfo(displayPath(source.file)).fileName() : name)
                       .arg(size.width())
                       .arg(size.height())
                       .arg(QLocale(QLocale::Japanese).formattedDataSize(source.size));
        }
        frame->setToolTip(text);
        frame->setAccessibleDescription(text);
    }
}

int MainWindow::previewSlotAt(const QPoint& windowPos) const {
    for (const auto& [frame, slot] :
         {std::pair{puzzleFrame_, puzzle::kPuzzleSlot}, {finishedFrame_, puzzle::kFinishedSlot}}) {
        if (frame->rect().contains(frame->mapFrom(this, windowPos)))
            return slot;
    }
    return -1;
}

// A puzzle data file dropped on a frame still opens, and anything that is neither one nor
// a picture the decoder knows gets the window's refusal.
void MainWindow::dropFilesOnPreview(const QStringList& paths, int slot) {
    if (paths.size() != 1 || startsLikePuzzleDataFile(paths.front()) ||
        preview::pictureSizeOfFile(nativePath(paths.front())).isEmpty()) {
        dropFiles(paths);
        return;
    }
    if (refuseSeveralPatterns())
        return;
    attachPictureFile(doc_.state.currentPattern, slot, paths.front());
    markDirty();
}

} // namespace pdt::app
