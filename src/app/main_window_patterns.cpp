// The main window's pattern list commands: add, delete, move (buttons, keys and drags),
// duplicate, and new patterns made from picture files.

#include "app/file_kinds.h"
#include "app/main_window.h"
#include "app/picture_refusal.h"
#include "app/prompts.h"
#include "app/ui_texts.h"
#include "pieces/piece_grids.h"
#include "preview/picture_decoder.h"
#include "puzzle/pictures.h"

#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QMimeData>
#include <QRegularExpression>

#include <algorithm>

namespace pdt::app {

namespace {

void tell(Prompts& prompts, QWidget* owner, const QString& text) {
    prompts.showMessage(
        owner, {text.toStdString(), ui::kCaptionInformation, puzzle::MessageIcon::Information});
}

// File names compared as people read them: "p2" before "p10", letters in any case.
bool beforeByName(const QString& a, const QString& b) {
    const QString x = QFileInfo(a).fileName().toCaseFolded();
    const QString y = QFileInfo(b).fileName().toCaseFolded();
    qsizetype i = 0, j = 0;
    while (i < x.size() && j < y.size()) {
        if (x[i].isDigit() && y[j].isDigit()) {
            qsizetype ei = i, ej = j;
            while (ei < x.size() && x[ei].isDigit())
                ++ei;
            while (ej < y.size() && y[ej].isDigit())
                ++ej;
            const QString nx = x.mid(i, ei - i).remove(QRegularExpression("^0+"));
            const QString ny = y.mid(j, ej - j).remove(QRegularExpression("^0+"));
            if (nx.size() != ny.size())
                return nx.size() < ny.size();
            if (nx != ny)
                return nx < ny;
            i = ei;
            j = ej;
        } else {
            if (x[i] != y[j])
                return x[i] < y[j];
            ++i;
            ++j;
        }
    }
    return x.size() - i < y.size() - j;
}

bool isBlank(const puzzle::PatternRecord& r) {
    return r.puzzleImageSize == 0 && r.finishedImageSize == 0 &&
           puzzle::fieldText(r.puzzleImagePath).empty() &&
           puzzle::fieldText(r.finishedImagePath).empty() &&
           puzzle::fieldText(r.clearComment).empty() && puzzle::fieldText(r.finishComment).empty();
}

} // namespace

void MainWindow::addPattern() {
    patternList_->setFocus();
    if (doc_.patternCount() >= puzzle::kMaxPatterns) {
        tell(prompts_, this, QString::fromUtf8(ui::kPatternLimit));
        return;
    }
    commit();
    recordStep(ui::kStepAddPattern, doc_.state.lastIndex + 1);
    puzzle::AppendPattern(doc_);
    appendListEntry(doc_.state.lastIndex + 1);
    for (int row = 0; row < doc_.state.lastIndex; ++row)
        selectEntry(row, false);
    selectEntry(doc_.state.lastIndex, true);
    postShowPattern();
    markDirty();
}

void MainWindow::deletePatterns() {
    const std::vector<int> selected = selectedRows();
    // The table keeps at least one pattern.
    if (doc_.patternCount() == 1 || int(selected.size()) >= doc_.patternCount()) {
        tell(prompts_, this, QString::fromUtf8(ui::kCannotDeleteAll));
        return;
    }
    if (selected.empty())
        return;
    commit();
    recordStep(ui::kStepDeletePatterns, selected.front());
    puzzle::RemovePatterns(doc_, selected);
    const int next = std::max(selected.front() - 1, 0);
    rebuildList(doc_.patternCount());
    selectEntry(next, true);
    postShowPattern();
    markDirty();
}

void MainWindow::moveUp() {
    moveSelectedBy(-1);
}

void MainWindow::moveDown() {
    moveSelectedBy(1);
}

// Each selected pattern changes places with its neighbour, the one nearest the move first,
// so that a block of selected patterns moves as a whole; nothing moves past either end.
void MainWindow::moveSelectedBy(int step) {
    if (doc_.patternCount() == 1)
        return;
    std::vector<int> selected = selectedRows();
    if (step > 0)
        std::reverse(selected.begin(), selected.end());
    if (selected.empty() || selected.front() + step < 0 ||
        selected.front() + step > doc_.state.lastIndex)
        return;
    commit();
    recordStep(ui::kStepMovePatterns, selected.front() + step);
    for (const int s : selected) {
        puzzle::SwapPatterns(doc_, s, s + step);
        selectEntry(s, false);
        selectEntry(s + step, true);
    }
    postShowPattern();
    markDirty();
}

void MainWindow::duplicatePattern() {
    if (doc_.patternCount() >= puzzle::kMaxPatterns) {
        tell(prompts_, this, QString::fromUtf8(ui::kPatternLimit));
        return;
    }
    commit();
    const int shown = doc_.state.currentPattern;
    recordStep(ui::kStepDuplicatePattern, shown + 1);
    puzzle::DuplicatePattern(doc_, shown);
    rebuildList(doc_.patternCount());
    selectOnly({shown + 1}, shown + 1);
    postShowPattern();
    markDirty();
}

void MainWindow::movePatternsTo(int destination) {
    const std::vector<int> selected = selectedRows();
    if (selected.empty())
        return;
    commit();
    const puzzle::Document before = doc_;
    const int caret = caretRow();
    const std::vector<int> moved = puzzle::MovePatterns(doc_, selected, destination);
    if (moved == selected)
        return; // dropped where they already were
    recordStep(before, ui::kStepMovePatterns, moved.front());
    const auto at = std::find(selected.begin(), selected.end(), caret);
    const int newCaret =
        at == selected.end() ? moved.front() : moved[size_t(at - selected.begin())];
    rebuildList(doc_.patternCount());
    selectOnly(moved, newCaret);
    postShowPattern();
    markDirty();
}

bool MainWindow::listDragEvent(QEvent* event) {
    const auto type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto* drag = static_cast<QDropEvent*>(event);
    const QMimeData* data = drag->mimeData();
    // Entries dragged inside the list; files dragged from elsewhere are the window's.
    const bool fromList = drag->source() == patternList_;
    const bool entries =
        fromList || (!drag->source() && !data->hasUrls() &&
                     data->hasFormat(QStringLiteral("application/x-qabstractitemmodeldatalist")));
    if (!entries)
        return false;
    if (type != QEvent::Drop) {
        // The list draws where the entries would land; a drag it did not start is taken
        // here so that its drop arrives.
        if (fromList)
            return false;
        drag->acceptProposedAction();
        return true;
    }
    const QPoint at = drag->position().toPoint();
    int destination = patternList_->count();
    if (QListWidgetItem* item = patternList_->itemAt(at)) {
        const QRect rect = patternList_->visualItemRect(item);
        destination = patternList_->row(item) + (at.y() > rect.center().y() ? 1 : 0);
    }
    // Copy, not move: the list must not remove the dragged entries itself; the entries are
    // rebuilt from the table once the drag is over.
    drag->setDropAction(Qt::CopyAction);
    drag->accept();
    QMetaObject::invokeMethod(
        this, [this, destination] { movePatternsTo(destination); }, Qt::QueuedConnection);
    return true;
}

void MainWindow::addPatternsFromPictures() {
    FileDialogRequest request{ui::kOpenTitle, pictureFilters(),
                              startFolder(EditorSettings::Folder::Picture)};
    const QStringList chosen = prompts_.chooseOpenFiles(this, request);
    if (chosen.isEmpty())
        return;
    rememberFolder(EditorSettings::Folder::Picture, chosen.front());
    addPatternsFromFiles(chosen);
}

void MainWindow::addPatternsFromFiles(const QStringList& paths) {
    QStringList files = paths;
    std::stable_sort(files.begin(), files.end(), beforeByName);

    commit();
    const puzzle::Document before = doc_;
    // A new document's one empty pattern takes the first picture rather than staying empty.
    bool fillFirst = doc_.patternCount() == 1 && isBlank(doc_.pattern(0));
    std::vector<std::string> natives;
    for (const QString& file : files)
        natives.push_back(nativePath(file));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto checked = checkPictures(natives, prompts_.beginPictureCheckProgress(this).get());
    QApplication::restoreOverrideCursor();
    if (!checked)
        return; // cancelled: nothing added

    QStringList refused; // "name  why", one line each
    const auto refuse = [&refused](const QString& file, const std::string& why) {
        refused.push_back(QFileInfo(file).fileName() + QStringLiteral("  ") +
                          QString::fromStdString(why));
    };
    int first = -1;
    bool limited = false;
    for (qsizetype f = 0; f < files.size(); ++f) {
        const QString& file = files[f];
        if (!fillFirst && doc_.patternCount() >= puzzle::kMaxPatterns) {
            limited = true;
            break;
        }
        const std::string& native = natives[size_t(f)];
        if (const auto& problem = (*checked)[size_t(f)].refusal) {
            refuse(file, problem->text);
            continue;
        }
        const QSize size = (*checked)[size_t(f)].size;
        pieces::PieceGridTable table{};
        const pieces::PieceChoices choices =
            pieces::FillPieceChoices(table, size.width(), size.height());
        if (choices.outcome != pieces::PieceChoices::Outcome::Accepted) {
            refuse(file, std::string(pieces::kSmallPictureText));
            continue;
        }
        const int lastBefore = doc_.state.lastIndex;
        const int index = fillFirst ? 0 : lastBefore + 1;
        if (!fillFirst)
            puzzle::AppendPattern(doc_);
        const puzzle::PatternRecord kept = doc_.pattern(index);
        std::optional<puzzle::UserMessage> refusal =
            puzzle::AttachPicture(doc_, index, puzzle::kPuzzleSlot, native);
        if (!refusal)
            refusal = puzzle::AttachPicture(doc_, index, puzzle::kFinishedSlot, native);
        if (refusal) {
            doc_.pattern(index) = kept;
            doc_.state.lastIndex = lastBefore;
            refuse(file, refusal->text);
            continue;
        }
        doc_.pattern(index).pieceCount = std::int16_t(table[0].pieceCount());
        fillFirst = false;
        if (first < 0)
            first = index;
    }

    if (first >= 0) {
        recordStep(before, ui::kStepAddPictures, first);
        rebuildList(doc_.patternCount());
        selectOnly({first}, first);
        showPattern();
        markDirty();
    }
    if (limited)
        tell(prompts_, this,
             QString::fromUtf8(first >= 0 ? ui::kPatternLimitSome : ui::kPatternLimit));
    if (!refused.isEmpty())
        prompts_.showMessage(
            this, {QString::fromUtf8(ui::kPicturesRefused).arg(refused.join('\n')).toStdString(),
                   ui::kCaptionInformation, puzzle::MessageIcon::Error});
}

// Pictures dropped on the list become patterns, those that cannot be named at the end. A
// puzzle data file among them, or one file that is no picture, is the window's as before.
void MainWindow::dropFilesOnList(const QStringList& paths) {
    const bool anyPuzzleData = std::any_of(paths.begin(), paths.end(), startsLikePuzzleDataFile);
    const bool onePlainFile =
        paths.size() == 1 && preview::pictureSizeOfFile(nativePath(paths.front())).isEmpty();
    if (paths.isEmpty() || anyPuzzleData || onePlainFile) {
        dropFiles(paths);
        return;
    }
    addPatternsFromFiles(paths);
}

} // namespace pdt::app
