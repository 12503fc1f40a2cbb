#include "app/main_window.h"

#include "app/cp932_input.h"
#include "app/dialog_builder.h"
#include "app/editor_settings.h"
#include "app/file_kinds.h"
#include "app/large_view.h"
#include "app/preview_frames.h"
#include "app/prompts.h"
#include "app/thumbnail_delegate.h"
#include "app/ui_texts.h"
#include "app/window_icon.h"
#include "text/cp932.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>

namespace pdt::app {

using puzzle::Document;
using puzzle::PatternRecord;

namespace {

// Copies of pictures that only old states of the history still need live here for the run.
std::string historyFolder() {
    static int windows = 0;
    return QFile::encodeName(QDir::temp().filePath(QStringLiteral("puzzle-data-tool-%1-%2")
                                                       .arg(QCoreApplication::applicationPid())
                                                       .arg(++windows)))
        .toStdString();
}

} // namespace

MainWindow::MainWindow(DialogVariant variant, Prompts& prompts, EditorSettings* settings,
                       QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      variant_(variant), prompts_(prompts),
      ownSettings_(settings ? nullptr : std::make_unique<EditorSettings>()),
      settings_(settings ? *settings : *ownSettings_), history_(historyFolder()) {
    const DialogTemplate& t = MainDialogTemplate(variant);
    setObjectName(QString::fromUtf8(t.name));
    setWindowTitle(QString::fromUtf8(t.caption) + QStringLiteral("[*]"));
    setWindowIcon(makeWindowIcon());

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    buildDialog(t, client);
    setCentralWidget(client);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    patternList_ = client->findChild<QListWidget*>(QStringLiteral("IDC_PATTERN_LIST"));
    clearComment_ = client->findChild<QPlainTextEdit*>(QStringLiteral("IDC_CLEAR_COMMENT"));
    finishComment_ = client->findChild<QPlainTextEdit*>(QStringLiteral("IDC_FINISH_COMMENT"));
    password_ = client->findChild<QLineEdit*>(QStringLiteral("IDC_PASSWORD"));
    rotation_ = client->findChild<QCheckBox*>(QStringLiteral("IDC_ROTATION"));
    vendorInfo_ = client->findChild<QCheckBox*>(QStringLiteral("IDC_VENDOR_INFO"));
    minPieces_ = client->findChild<QComboBox*>(QStringLiteral("IDC_MIN_PIECES"));
    puzzleFrame_ = client->findChild<QWidget*>(QStringLiteral("IDC_PUZZLE_PREVIEW"));
    finishedFrame_ = client->findChild<QWidget*>(QStringLiteral("IDC_FINISHED_PREVIEW"));
    // The previews are painted under the frame controls, which draw only their borders.
    client->installEventFilter(this);
    clearGuard_ = new Cp932InputGuard(clearComment_, kCommentBytes);
    finishGuard_ = new Cp932InputGuard(finishComment_, kCommentBytes);
    passwordGuard_ = new Cp932InputGuard(password_, kPasswordBytes);
    passwordGuard_->setRefusesSpaces(true);
    // The history is the one undo of the window: the edits' own would undo behind its back.
    clearComment_->setUndoRedoEnabled(false);
    finishComment_->setUndoRedoEnabled(false);
    buildMenus();
    connectControls();

    // A file dropped anywhere, the edits included, is the window's to open, never text
    // to paste: that would put a path into the hidden password unnoticed.
    for (QAbstractScrollArea* area : {static_cast<QAbstractScrollArea*>(clearComment_),
                                      static_cast<QAbstractScrollArea*>(finishComment_)}) {
        area->setAcceptDrops(false);
        area->viewport()->setAcceptDrops(false);
    }
    password_->setAcceptDrops(false);
    // A click below the last entry leaves the selection as it is, as in the original list.
    patternList_->viewport()->installEventFilter(this);
    frames_ = new PreviewFrames(loader_, surfaces_, client, puzzleFrame_, finishedFrame_, this);
    largeView_ = new LargeView(loader_, this);
    thumbnails_ = new ThumbnailDelegate(
        loader_, [this](int row) { return puzzle::SlotSource(doc_, row, puzzle::kPuzzleSlot); },
        patternList_);
    patternList_->setItemDelegate(thumbnails_);
    thumbnails_->setThumbnailsShown(settings_.thumbnailsShown());
    // A double click on a preview opens its picture large.
    puzzleFrame_->installEventFilter(this);
    finishedFrame_->installEventFilter(this);

    // Entries are dragged to reorder their patterns; the drop itself is handled here.
    patternList_->setDragDropMode(QAbstractItemView::InternalMove);
    patternList_->setDefaultDropAction(Qt::MoveAction);

    setAcceptDrops(true);
    postReset();
}

MainWindow::~MainWindow() = default;

void MainWindow::connectControls() {
    const auto button = [&](const char* name, void (MainWindow::*handler)()) {
        auto* b = centralWidget()->findChild<QPushButton*>(QString::fromUtf8(name));
        connect(b, &QPushButton::clicked, this, handler);
    };
    button("IDC_ADD_PATTERN", &MainWindow::addPattern);
    button("IDC_DELETE_PATTERN", &MainWindow::deletePatterns);
    button("IDC_MOVE_UP", &MainWindow::moveUp);
    button("IDC_MOVE_DOWN", &MainWindow::moveDown);
    const auto pictureButton = [&](const char* name, void (MainWindow::*handler)(int), int slot) {
        auto* b = centralWidget()->findChild<QPushButton*>(QString::fromUtf8(name));
        connect(b, &QPushButton::clicked, this, [this, handler, slot] { (this->*handler)(slot); });
    };
    pictureButton("IDC_ADD_PUZZLE_IMAGE", &MainWindow::addImage, puzzle::kPuzzleSlot);
    pictureButton("IDC_ADD_FINISHED_IMAGE", &MainWindow::addImage, puzzle::kFinishedSlot);
    pictureButton("IDC_EXTRACT_PUZZLE_IMAGE", &MainWindow::extractImage, puzzle::kPuzzleSlot);
    pictureButton("IDC_EXTRACT_FINISHED_IMAGE", &MainWindow::extractImage, puzzle::kFinishedSlot);
    pictureButton("IDC_DELETE_PUZZLE_IMAGE", &MainWindow::deleteImage, puzzle::kPuzzleSlot);
    pictureButton("IDC_DELETE_FINISHED_IMAGE", &MainWindow::deleteImage, puzzle::kFinishedSlot);

    connect(patternList_, &QListWidget::itemSelectionChanged, this,
            &MainWindow::onListSelectionChanged);

    // Every notification of the edits counts as an edit: changes by the user, focus gained
    // or lost, and, for the password edit, also text set by the program.
    connect(clearGuard_, &Cp932InputGuard::userChanged, this, [this] { onCommentChanged(0); });
    connect(finishGuard_, &Cp932InputGuard::userChanged, this, [this] { onCommentChanged(1); });
    connect(passwordGuard_, &Cp932InputGuard::userChanged, this, &MainWindow::onPasswordChanged);
    connect(password_, &QLineEdit::textChanged, this, &MainWindow::markDirty);
    for (QWidget* edit : {static_cast<QWidget*>(clearComment_),
                          static_cast<QWidget*>(finishComment_), static_cast<QWidget*>(password_)})
        edit->installEventFilter(this);

    connect(rotation_, &QCheckBox::clicked, this, &MainWindow::onRotationClicked);
    if (vendorInfo_)
        connect(vendorInfo_, &QCheckBox::clicked, this, &MainWindow::onVendorInfoClicked);
    connect(minPieces_, &QComboBox::activated, this, &MainWindow::onPieceCountChosen);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == centralWidget()) {
        // Before the first reset there is nothing to show; the reset ends with a repaint.
        if (event->type() == QEvent::Paint && doc_.state.readyFlag) {
            QPainter painter(centralWidget());
            preview::paintPreviews(painter, surfaces_);
        }
        return QMainWindow::eventFilter(watched, event);
    }
    if ((watched == puzzleFrame_ || watched == finishedFrame_) &&
        event->type() == QEvent::MouseButtonDblClick) {
        showLargeView(watched == puzzleFrame_ ? puzzle::kPuzzleSlot : puzzle::kFinishedSlot);
        return true;
    }
    if (watched == patternList_->viewport()) {
        if (event->type() == QEvent::MouseButtonPress ||
            event->type() == QEvent::MouseButtonDblClick) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (!patternList_->itemAt(mouse->position().toPoint()))
                return true;
        }
        if (listDragEvent(event))
            return true;
        return QMainWindow::eventFilter(watched, event);
    }
    if (event->type() == QEvent::ShortcutOverride) {
        // Undo and redo are the window's in the edits too: one history for everything.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo))
            return true;
    }
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        // Opening a menu takes no focus from a control on the original dialog either.
        if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
            markDirty();
        // Leaving a box ends its burst of typing: the next text is a step of its own.
        if (event->type() == QEvent::FocusOut)
            history_.breakMerge();
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!placed_) {
        placed_ = true;
        centreOnDesktop(this);
    }
}

void MainWindow::postReset() {
    QMetaObject::invokeMethod(this, &MainWindow::reset, Qt::QueuedConnection);
}

void MainWindow::postCommit() {
    QMetaObject::invokeMethod(this, &MainWindow::commit, Qt::QueuedConnection);
}

void MainWindow::postShowPattern() {
    QMetaObject::invokeMethod(this, &MainWindow::showPattern, Qt::QueuedConnection);
}

void MainWindow::reset() {
    puzzle::ResetDocument(doc_);
    clearGuard_->setText(fromStoredComment(puzzle::fieldText(doc_.pattern(0).clearComment)));
    finishGuard_->setText(fromStoredComment(puzzle::fieldText(doc_.pattern(0).finishComment)));
    showPasswordText();
    rotation_->setChecked(false);
    if (vendorInfo_)
        vendorInfo_->setChecked(doc_.state.vendorFlag != 0);
    minPieces_->clear();

    patternList_->setFocus();
    rebuildList(1);
    selectEntry(0, true);
    markShownEntry();

    QWidget* client = centralWidget();
    preview::measurePreviewFrames(
        surfaces_, QRect(puzzleFrame_->mapTo(client, QPoint(0, 0)), puzzleFrame_->size()),
        QRect(finishedFrame_->mapTo(client, QPoint(0, 0)), finishedFrame_->size()));
    if (!createSurfaces_(surfaces_, surfaces_.frameWidth, surfaces_.frameHeight)) {
        // The reset still runs to its end; the queued exit then closes the window.
        prompts_.showMessage(
            this, {ui::kNoDisplayMemory, ui::kCaptionInformation, puzzle::MessageIcon::None});
        QMetaObject::invokeMethod(this, &MainWindow::exitWithoutAsking, Qt::QueuedConnection);
    }

    frames_->clear(puzzle::kPuzzleSlot);
    frames_->clear(puzzle::kFinishedSlot);
    doc_.state.readyFlag = true;
    history_.markClean();
    setDirty(false);
    updateTitle();
    describePictures();
    repaintNow();
}

void MainWindow::commit() {
    PatternRecord& r = doc_.pattern(doc_.state.currentPattern);
    // With nothing offered (no puzzle picture, or one that offers no grid) the pattern keeps
    // its count: the table's first entry belongs to some other picture.
    if (minPieces_->count() > 0)
        r.pieceCount = pieces::CommittedPieceCount(pieceGridChoices_, minPieces_->currentIndex());
    r.rotation = rotation_->isChecked() ? 1 : 0;
    storeComment(r.clearComment, *clearGuard_);
    storeComment(r.finishComment, *finishGuard_);
}

// A comment the user has not touched since it was shown keeps its stored bytes exactly;
// an edited one is stored in code page 932 with CR LF line breaks. The input guard has
// already refused anything that would not fit.
void MainWindow::storeComment(puzzle::TextField& field, const Cp932InputGuard& guard) {
    if (!guard.userModified())
        return;
    if (const auto bytes = toStoredComment(guard.text()))
        puzzle::setFieldText(field, *bytes);
}

void MainWindow::showPattern() {
    const int i = caretRow();
    // Each frame keeps what it shows until its new picture is ready. The piece choices come
    // from the puzzle picture's size, read from its header at once.
    renderSlot(i, puzzle::kPuzzleSlot);
    fillPieceChoices(i);
    renderSlot(i, puzzle::kFinishedSlot);
    const PatternRecord& r = doc_.pattern(i);
    rotation_->setChecked(r.rotation != 0);
    clearGuard_->setText(fromStoredComment(puzzle::fieldText(r.clearComment)));
    finishGuard_->setText(fromStoredComment(puzzle::fieldText(r.finishComment)));
    doc_.state.currentPattern = i;
    markShownEntry();
    describePictures();
    followDocument();
}

void MainWindow::showPatternNow(int index) {
    selectOnly({index}, index);
    showPattern();
}

// The document was replaced as a whole: nothing on screen is worth committing, all of it
// is drawn again from the document.
void MainWindow::showRestoredDocument(int pattern) {
    rebuildList(doc_.patternCount());
    const int shown = std::clamp(pattern, 0, doc_.state.lastIndex);
    selectOnly({shown}, shown);
    showPattern();
    showPasswordText();
    if (vendorInfo_)
        vendorInfo_->setChecked(doc_.state.vendorFlag != 0);
    updateTitle();
    setDirty(!history_.isClean());
}

void MainWindow::setDirty(bool dirty) {
    doc_.state.dirty = dirty;
    setWindowModified(dirty);
}

void MainWindow::updateTitle() {
    if (puzzle::IsNewDocument(doc_)) {
        setWindowTitle(QString::fromUtf8(ui::kWindowTitle) + QStringLiteral("[*]"));
        return;
    }
    setWindowTitle(
        QString::fromUtf8(ui::kTitleWithFile)
            .arg(QString::fromUtf8(ui::kToolName), displayPath(doc_.state.currentFilePath)) +
        QStringLiteral("[*]"));
}

void MainWindow::newDocument() {
    // The reset runs where the original posts it; the step is recorded right before it.
    QMetaObject::invokeMethod(
        this,
        [this] {
            recordStep(ui::kStepNew, doc_.state.currentPattern);
            reset();
        },
        Qt::QueuedConnection);
}

void MainWindow::exitFromMenu() {
    close();
}

void MainWindow::exitWithoutAsking() {
    closingWithoutQuestion_ = true;
    close();
    closingWithoutQuestion_ = false;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!closingWithoutQuestion_ && doc_.state.dirty) {
        const Question question{ui::kConfirmExit, ui::kCaptionExit,
                                puzzle::MessageIcon::Information, false};
        if (!prompts_.ask(this, question)) {
            event->ignore();
            return;
        }
    }
    preview::releasePreviewSurfaces(surfaces_);
    event->accept();
}

void MainWindow::onListSelectionChanged() {
    history_.breakMerge();
    postCommit();
    postShowPattern();
}

// The box and the flag are kept equal rather than the flag inverted, so that what is saved
// is always what the box shows.
void MainWindow::onVendorInfoClicked() {
    const std::uint8_t flag = vendorInfo_->isChecked() ? 1 : 0;
    if (flag != doc_.state.vendorFlag) {
        recordStep(ui::kStepVendorInfo, doc_.state.currentPattern);
        doc_.state.vendorFlag = flag;
    }
    markDirty();
}

void MainWindow::onRotationClicked() {
    const std::uint8_t rotation = rotation_->isChecked() ? 1 : 0;
    PatternRecord& r = doc_.pattern(doc_.state.currentPattern);
    if (rotation != r.rotation) {
        recordStep(ui::kStepRotation, doc_.state.currentPattern);
        r.rotation = rotation;
    }
    markDirty();
}

void MainWindow::onPieceCountChosen() {
    const std::int16_t count =
        pieces::CommittedPieceCount(pieceGridChoices_, minPieces_->currentIndex());
    if (count != doc_.pattern(doc_.state.currentPattern).pieceCount)
        recordStep(ui::kStepPieceCount, doc_.state.currentPattern);
    largeView_->setPieceCount(count);
    postCommit();
    markDirty();
}

// Typing is stored as it happens, one step per burst in one box of one pattern.
void MainWindow::onCommentChanged(int box) {
    markDirty();
    const Cp932InputGuard& guard = box == 0 ? *clearGuard_ : *finishGuard_;
    const std::optional<std::string> bytes = toStoredComment(guard.text());
    if (!bytes)
        return;
    const int i = doc_.state.currentPattern;
    PatternRecord& r = doc_.pattern(i);
    puzzle::TextField& field = box == 0 ? r.clearComment : r.finishComment;
    if (puzzle::fieldText(field) == *bytes)
        return;
    recordStep(box == 0 ? ui::kStepClearComment : ui::kStepFinishComment, i,
               QStringLiteral("comment %1 %2").arg(i).arg(box));
    puzzle::setFieldText(field, *bytes);
}

void MainWindow::onPasswordChanged() {
    const std::optional<std::string> bytes = text::toCp932(password_->text().toStdString());
    if (!bytes || *bytes == doc_.state.password)
        return;
    recordStep(ui::kStepPassword, doc_.state.currentPattern, QStringLiteral("password"));
    doc_.state.password = *bytes;
}

void MainWindow::rebuildList(int count) {
    const QSignalBlocker quiet(patternList_);
    patternList_->clear();
    markedEntry_ = -1;
    for (int n = 1; n <= count; ++n)
        appendListEntry(n);
}

void MainWindow::appendListEntry(int number) {
    const QSignalBlocker quiet(patternList_);
    patternList_->addItem(QString::asprintf(ui::kPatternEntryFormat, number));
}

// Selecting an entry also moves the caret to it; deselecting leaves the caret alone.
void MainWindow::selectEntry(int row, bool selected) {
    const QSignalBlocker quiet(patternList_);
    QListWidgetItem* item = patternList_->item(row);
    if (!item)
        return;
    item->setSelected(selected);
    if (selected)
        patternList_->setCurrentItem(item, QItemSelectionModel::NoUpdate);
}

void MainWindow::selectOnly(const std::vector<int>& rows, int caret) {
    const QSignalBlocker quiet(patternList_);
    patternList_->clearSelection();
    for (const int row : rows)
        selectEntry(row, true);
    if (QListWidgetItem* item = patternList_->item(caret))
        patternList_->setCurrentItem(item, QItemSelectionModel::NoUpdate);
}

int MainWindow::caretRow() const {
    const int row = patternList_->currentRow();
    return row < 0 || row > doc_.state.lastIndex ? 0 : row;
}

std::vector<int> MainWindow::selectedRows() const {
    std::vector<int> rows;
    for (const QListWidgetItem* item : patternList_->selectedItems())
        rows.push_back(patternList_->row(item));
    std::sort(rows.begin(), rows.end());
    return rows;
}

void MainWindow::markShownEntry() {
    const int shown = doc_.state.currentPattern;
    if (shown == markedEntry_)
        return;
    if (QListWidgetItem* old = patternList_->item(markedEntry_)) {
        QFont font = old->font();
        font.setBold(false);
        old->setFont(font);
        old->setData(Qt::AccessibleDescriptionRole, QVariant());
    }
    markedEntry_ = -1;
    if (QListWidgetItem* item = patternList_->item(shown)) {
        QFont font = item->font();
        font.setBold(true);
        item->setFont(font);
        item->setData(Qt::AccessibleDescriptionRole, QString::fromUtf8(ui::kShownEntry));
        markedEntry_ = shown;
    }
}

} // namespace pdt::app
