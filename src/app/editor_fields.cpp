#include "app/editor_fields.h"

#include "app/cp932_input.h"
#include "text/cp932.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>

namespace pdt::app {

EditorFields::EditorFields(const EditorControls& controls, QObject* parent)
    : QObject(parent), c_(controls),
      clearGuard_(new Cp932InputGuard(c_.clearComment, puzzle::kTextFieldSize)),
      finishGuard_(new Cp932InputGuard(c_.finishComment, puzzle::kTextFieldSize)),
      passwordGuard_(new Cp932InputGuard(c_.password, puzzle::kMaxPasswordBytes)) {
    passwordGuard_->setRefusesSpaces(true);
    // The history is the one undo of the window: the edits' own would undo behind its back.
    c_.clearComment->setUndoRedoEnabled(false);
    c_.finishComment->setUndoRedoEnabled(false);
    // A file dropped anywhere, the edits included, is the window's to open, never text to
    // paste: that would put a path into the hidden password unnoticed.
    for (QAbstractScrollArea* area : {static_cast<QAbstractScrollArea*>(c_.clearComment),
                                      static_cast<QAbstractScrollArea*>(c_.finishComment)}) {
        area->setAcceptDrops(false);
        area->viewport()->setAcceptDrops(false);
    }
    c_.password->setAcceptDrops(false);

    const auto comment = [this](int box, const Cp932InputGuard* guard) {
        connect(guard, &Cp932InputGuard::userChanged, this,
                [this, box, guard] { emit commentEdited(box, toStoredComment(guard->text())); });
    };
    comment(0, clearGuard_);
    comment(1, finishGuard_);
    connect(passwordGuard_, &Cp932InputGuard::userChanged, this,
            [this] { emit passwordEdited(text::toCp932(passwordGuard_->text().toStdString())); });
    connect(c_.rotation, &QCheckBox::clicked, this,
            [this](bool checked) { emit rotationClicked(checked ? 1 : 0); });
    if (c_.vendorInfo)
        connect(c_.vendorInfo, &QCheckBox::clicked, this,
                [this](bool checked) { emit vendorClicked(checked ? 1 : 0); });
    connect(c_.minPieces, &QComboBox::activated, this, [this](int index) {
        emit pieceCountChosen(pieces::CommittedPieceCount(grids_, index));
    });
    for (QWidget* edit :
         {static_cast<QWidget*>(c_.clearComment), static_cast<QWidget*>(c_.finishComment),
          static_cast<QWidget*>(c_.password)})
        edit->installEventFilter(this);
}

bool EditorFields::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        // Undo and redo are the window's in the edits too: one history for everything.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo))
            return true;
    }
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        // Opening a menu leaves the focus where it is: that is no edit.
        if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
            emit touched();
        if (event->type() == QEvent::FocusOut)
            emit left();
    }
    return QObject::eventFilter(watched, event);
}

void EditorFields::clear(const puzzle::Document& doc) {
    clearGuard_->setText(fromStoredComment(puzzle::fieldText(doc.pattern(0).clearComment)));
    finishGuard_->setText(fromStoredComment(puzzle::fieldText(doc.pattern(0).finishComment)));
    c_.rotation->setChecked(false);
    showDocumentValues(doc);
    c_.minPieces->clear();
}

void EditorFields::showPattern(const puzzle::PatternRecord& r) {
    c_.rotation->setChecked(r.rotation != 0);
    clearGuard_->setText(fromStoredComment(puzzle::fieldText(r.clearComment)));
    finishGuard_->setText(fromStoredComment(puzzle::fieldText(r.finishComment)));
}

void EditorFields::showDocumentValues(const puzzle::Document& doc) {
    passwordGuard_->setText(QString::fromStdString(text::fromCp932(doc.state.password)));
    if (c_.vendorInfo)
        c_.vendorInfo->setChecked(doc.state.vendorFlag != 0);
}

pieces::PieceChoices::Outcome EditorFields::offerPieceCounts(QSize picture,
                                                             std::int16_t storedCount) {
    c_.minPieces->clear();
    const pieces::PieceChoices choices =
        pieces::FillPieceChoices(grids_, picture.width(), picture.height());
    if (choices.outcome == pieces::PieceChoices::Outcome::Accepted) {
        for (int i = 0; i < choices.count; ++i)
            c_.minPieces->addItem(QString::number(grids_[size_t(i)].pieceCount()));
        // Set by the program, so no commit follows: that waits for the user's choice.
        c_.minPieces->setCurrentIndex(pieces::PreselectIndex(grids_, choices.count, storedCount));
        c_.patternList->setFocus();
    }
    return choices.outcome;
}

void EditorFields::clearPieceCounts() {
    c_.minPieces->clear();
}

int EditorFields::shownPieceCount(std::int16_t storedCount) const {
    return c_.minPieces->count() == 0
               ? storedCount
               : pieces::CommittedPieceCount(grids_, c_.minPieces->currentIndex());
}

session::ShownDetails EditorFields::screen() const {
    session::ShownDetails d;
    // With nothing offered (no puzzle picture, or one that offers no grid) the pattern keeps
    // its count: the table's first entry belongs to some other picture.
    if (c_.minPieces->count() > 0)
        d.pieceCount = pieces::CommittedPieceCount(grids_, c_.minPieces->currentIndex());
    d.rotation = c_.rotation->isChecked() ? 1 : 0;
    // A comment the user has not touched since it was shown keeps its stored bytes exactly;
    // an edited one is stored in code page 932 with CR LF line breaks. The input guard has
    // already refused anything that would not fit.
    if (clearGuard_->userModified())
        d.clearComment = toStoredComment(clearGuard_->text());
    if (finishGuard_->userModified())
        d.finishComment = toStoredComment(finishGuard_->text());
    return d;
}

std::optional<std::string> EditorFields::passwordForSave(const std::string& stored) const {
    if (!passwordGuard_->userModified())
        return stored;
    return text::toCp932(c_.password->text().toStdString());
}

} // namespace pdt::app
