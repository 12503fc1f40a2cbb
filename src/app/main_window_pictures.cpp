// The main window's pictures: the two previews, the piece-count choices of the puzzle
// picture, and the add, extract and delete commands of both slots.

#include "app/main_window.h"
#include "app/prompts.h"
#include "app/ui_texts.h"
#include "preview/picture_decoder.h"
#include "puzzle/pictures.h"

#include <QComboBox>
#include <QFile>
#include <QListWidget>

namespace pdt::app {

namespace {

std::string nativePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

std::vector<FileFilter> pictureFilters() {
    return {{ui::kPictureFilterUsable, ui::kPictureFilterUsablePattern},
            {ui::kPictureFilterBitmap, ui::kPictureFilterBitmapPattern},
            {ui::kPictureFilterJpeg, ui::kPictureFilterJpegPattern},
            {ui::kPictureFilterGif, ui::kPictureFilterGifPattern}};
}

// What the file reader takes for a puzzle data file: the magic "ADX" in its first bytes.
bool startsLikePuzzleDataFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && f.read(3) == QByteArrayLiteral("ADX");
}

} // namespace

void MainWindow::repaintNow() {
    centralWidget()->repaint();
}

void MainWindow::renderSlot(int index, int slot) {
    const preview::RenderResult r =
        preview::renderPreview(surfaces_, puzzle::SlotSource(doc_, index, slot), slot);
    decodedWidth_ = r.decodedWidth;
    decodedHeight_ = r.decodedHeight;
    if (r.changed)
        repaintNow();
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
        preview::blankSurface(surfaces_.puzzleSurface);
        repaintNow();
        prompts_.showMessage(this, {std::string(pieces::kSmallPictureText),
                                    std::string(pieces::kSmallPictureCaption),
                                    puzzle::MessageIcon::None});
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
    const FileDialogRequest request{ui::kOpenTitle, pictureFilters(), lastPictureChoice_};
    if (const std::optional<QString> chosen = prompts_.chooseOpenFile(this, request)) {
        lastPictureChoice_ = *chosen;
        attachPictureFile(caretRow(), slot, *chosen);
    }
    // Also after a cancelled dialog: the command counts as an edit.
    markDirty();
}

bool MainWindow::attachPictureFile(int index, int slot, const QString& path) {
    if (const auto refusal = puzzle::AttachPicture(doc_, index, slot, nativePath(path))) {
        prompts_.showMessage(this, *refusal);
        return false;
    }
    renderSlot(index, slot);
    // A finished picture leaves the choices as they are.
    if (slot == puzzle::kPuzzleSlot)
        fillPieceChoices(index);
    return true;
}

void MainWindow::extractImage(int slot) {
    if (refuseSeveralPatterns())
        return;
    const int index = caretRow();
    if (const auto refusal = puzzle::CheckExtract(doc_, index, slot)) {
        prompts_.showMessage(this, *refusal);
        return;
    }
    const FileDialogRequest request{
        ui::kSaveTitle,
        {{ui::kExtractFilter, ""}},
        QString::fromStdString(puzzle::DefaultExtractName(doc_, index, slot))};
    const std::optional<QString> chosen = prompts_.chooseSaveFile(this, request);
    if (!chosen)
        return;
    const puzzle::ExtractResult result =
        puzzle::ExtractPicture(doc_, index, slot, nativePath(*chosen));
    prompts_.showMessage(this, result.message);
}

// No selection-count test here, and the piece count and its choices stay as they are.
void MainWindow::deleteImage(int slot) {
    puzzle::ClearImage(doc_, caretRow(), slot);
    preview::blankSurface(surfaces_.forSlot(slot));
    repaintNow();
    markDirty();
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
    attachPictureFile(caretRow(), slot, paths.front());
    markDirty();
}

} // namespace pdt::app
