#include "app/main_window.h"

#include "app/cp932_input.h"
#include "app/dialog_builder.h"
#include "app/prompts.h"
#include "app/ui_texts.h"
#include "app/window_icon.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
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

MainWindow::MainWindow(DialogVariant variant, Prompts& prompts, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      variant_(variant), prompts_(prompts) {
    const DialogTemplate& t = MainDialogTemplate(variant);
    setObjectName(QString::fromUtf8(t.name));
    setWindowTitle(QString::fromUtf8(t.caption));
    setWindowIcon(makeWindowIcon());

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    buildDialog(t, client);
    setCentralWidget(client);
    buildMenu();
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

    setAcceptDrops(true);
    postReset();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenu() {
    // Menus take the prompt's proportional face, the one closest to the system menu font.
    menuBar()->setFont(dialogFont(PasswordDialogTemplate()));
    QMenu* file = menuBar()->addMenu(QString::fromUtf8(ui::kMenuFile));
    file->setFont(menuBar()->font());
    file->setObjectName(QStringLiteral("FileMenu"));
    const auto add = [&](const char* text, const char* name, void (MainWindow::*handler)()) {
        QAction* action = file->addAction(QString::fromUtf8(text));
        action->setObjectName(QString::fromUtf8(name));
        connect(action, &QAction::triggered, this, handler);
    };
    add(ui::kMenuNew, "IDM_NEW", &MainWindow::newDocument);
    add(ui::kMenuOpen, "IDM_OPEN", &MainWindow::openFromMenu);
    add(ui::kMenuSave, "IDM_SAVE", &MainWindow::save);
    file->addSeparator();
    add(ui::kMenuExit, "IDM_EXIT", &MainWindow::exitWithoutAsking);
}

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
    connect(clearGuard_, &Cp932InputGuard::userChanged, this, &MainWindow::markDirty);
    connect(finishGuard_, &Cp932InputGuard::userChanged, this, &MainWindow::markDirty);
    connect(password_, &QLineEdit::textChanged, this, &MainWindow::markDirty);
    for (QWidget* edit : {static_cast<QWidget*>(clearComment_),
                          static_cast<QWidget*>(finishComment_), static_cast<QWidget*>(password_)})
        edit->installEventFilter(this);

    connect(rotation_, &QCheckBox::clicked, this, &MainWindow::markDirty);
    if (vendorInfo_)
        connect(vendorInfo_, &QCheckBox::clicked, this, &MainWindow::onVendorInfoClicked);
    connect(minPieces_, &QComboBox::activated, this, [this] {
        postCommit();
        markDirty();
    });
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
    if (watched == patternList_->viewport()) {
        if (event->type() == QEvent::MouseButtonPress ||
            event->type() == QEvent::MouseButtonDblClick) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (!patternList_->itemAt(mouse->position().toPoint()))
                return true;
        }
        return QMainWindow::eventFilter(watched, event);
    }
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        // Opening a menu takes no focus from a control on the original dialog either.
        if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
            markDirty();
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

    doc_.state.readyFlag = true;
    doc_.state.dirty = false;
    repaintNow();
}

void MainWindow::commit() {
    PatternRecord& r = doc_.pattern(doc_.state.currentPattern);
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
    preview::blankSurface(surfaces_.puzzleSurface);
    preview::blankSurface(surfaces_.finishedSurface);
    // The piece choices come from the puzzle picture: they are rebuilt after it is decoded
    // and before the finished picture's decode replaces the decoded size.
    renderSlot(i, puzzle::kPuzzleSlot);
    fillPieceChoices(i);
    renderSlot(i, puzzle::kFinishedSlot);
    const PatternRecord& r = doc_.pattern(i);
    rotation_->setChecked(r.rotation != 0);
    clearGuard_->setText(fromStoredComment(puzzle::fieldText(r.clearComment)));
    finishGuard_->setText(fromStoredComment(puzzle::fieldText(r.finishComment)));
    repaintNow();
    doc_.state.currentPattern = i;
}

void MainWindow::newDocument() {
    postReset();
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
    postCommit();
    postShowPattern();
}

// The box and the flag are kept equal rather than the flag inverted, so that what is saved
// is always what the box shows.
void MainWindow::onVendorInfoClicked() {
    doc_.state.vendorFlag = vendorInfo_->isChecked() ? 1 : 0;
    markDirty();
}

void MainWindow::addPattern() {
    patternList_->setFocus();
    if (doc_.patternCount() >= puzzle::kMaxPatterns)
        return;
    commit();
    puzzle::AppendPattern(doc_);
    appendListEntry(doc_.state.lastIndex + 1);
    for (int row = 0; row < doc_.state.lastIndex; ++row)
        selectEntry(row, false);
    selectEntry(doc_.state.lastIndex, true);
    postShowPattern();
    markDirty();
}

void MainWindow::deletePatterns() {
    if (doc_.patternCount() == 1)
        return;
    const std::vector<int> selected = selectedRows();
    if (selected.empty())
        return;
    // The table keeps at least one pattern: with every entry selected nothing is removed.
    if (!puzzle::RemovePatterns(doc_, selected))
        return;
    const int next = std::max(selected.front() - 1, 0);
    rebuildList(doc_.patternCount());
    selectEntry(next, true);
    postShowPattern();
    markDirty();
}

void MainWindow::moveUp() {
    if (doc_.patternCount() == 1)
        return;
    const std::vector<int> selected = selectedRows();
    if (selected.empty() || selected.front() == 0)
        return;
    for (const int s : selected) {
        puzzle::SwapPatterns(doc_, s - 1, s);
        selectEntry(s, false);
        selectEntry(s - 1, true);
    }
    postShowPattern();
    markDirty();
}

void MainWindow::moveDown() {
    if (doc_.patternCount() == 1)
        return;
    const std::vector<int> selected = selectedRows();
    if (selected.empty() || selected.back() == doc_.state.lastIndex)
        return;
    for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
        puzzle::SwapPatterns(doc_, *it, *it + 1);
        selectEntry(*it, false);
        selectEntry(*it + 1, true);
    }
    postShowPattern();
    markDirty();
}

void MainWindow::rebuildList(int count) {
    const QSignalBlocker quiet(patternList_);
    patternList_->clear();
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

} // namespace pdt::app
