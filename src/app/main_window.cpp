#include "app/main_window.h"

#include "app/dialog_builder.h"
#include "app/dialog_folders.h"
#include "app/editor_fields.h"
#include "app/editor_menus.h"
#include "app/file_kinds.h"
#include "app/large_view.h"
#include "app/pattern_list.h"
#include "app/pattern_list_model.h"
#include "app/picture_intake.h"
#include "app/posted.h"
#include "app/prompts.h"
#include "app/recovery.h"
#include "app/thumbnail_delegate.h"
#include "app/ui_texts.h"
#include "app/window_icon.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLayout>
#include <QListView>

namespace pdt::app {

namespace {

// Copies of pictures that only old states of the history still need live here for the run
// when the window keeps no recovery slot (whose folder holds them otherwise).
QString historyFolder() {
    static int windows = 0;
    return QDir::temp().filePath(QStringLiteral("puzzle-data-tool-%1-%2")
                                     .arg(QCoreApplication::applicationPid())
                                     .arg(++windows));
}

// Pictures the editor made (converted, turned upright) live beside the history's copies:
// in the recovery slot, so that a recovered document still finds them, or else in a folder
// of the window's own for the run.
QString madeFolder(const std::string& historyCopies, bool inRecoverySlot) {
    const QString copies = displayPath(historyCopies);
    return inRecoverySlot ? QFileInfo(copies).path() + QStringLiteral("/pictures")
                          : copies + QStringLiteral("-pictures");
}

// One message naming every picture a recovery left out.
puzzle::UserMessage movedPictures(const std::vector<session::MovedPicture>& moved) {
    QStringList lines;
    for (const session::MovedPicture& m : moved)
        lines.push_back(
            QString::fromUtf8(ui::kRecoveryMovedLine)
                .arg(m.pattern + 1)
                .arg(QString::fromUtf8(m.slot == puzzle::kPuzzleSlot ? ui::kPuzzleImage
                                                                     : ui::kFinishedImage),
                     QString::fromStdString(m.name)));
    return {QString::fromUtf8(ui::kRecoveryMovedPictures).arg(lines.join('\n')).toStdString(),
            ui::kCaptionRecovery, puzzle::MessageIcon::Error};
}

} // namespace

MainWindow::MainWindow(DialogVariant variant, Prompts& prompts, EditorSettings* settings,
                       RecoverySlot* recovery, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      prompts_(prompts), ownSettings_(settings ? nullptr : std::make_unique<EditorSettings>()),
      settings_(settings ? *settings : *ownSettings_),
      // Without the vendor box nothing can show or set the flag: that variant saves 0.
      session_(recovery ? recovery->copiesFolder() : nativePath(historyFolder()),
               variant == DialogVariant::PZ_BIND2),
      folders_(std::make_unique<DialogFolders>(settings_)), recovery_(recovery) {
    const DialogTemplate& t = MainDialogTemplate(variant);
    setObjectName(QString::fromUtf8(t.name));
    setWindowTitle(QString::fromUtf8(t.caption) + QStringLiteral("[*]"));
    setWindowIcon(makeWindowIcon());
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    buildDialog(t, client);
    setCentralWidget(client);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    c_ = EditorControls::find(client);
    fields_ = new EditorFields(c_, this);
    model_ = new PatternListModel(session_, loader_, this);
    model_->setEntryFont(c_.patternList->font());
    list_ = new PatternList(c_.patternList, model_, this);
    frames_ = new PreviewFrames(loader_, surfaces_, client, c_.frames, this);
    largeView_ = new LargeView(loader_, this);
    thumbnails_ = new ThumbnailDelegate(c_.patternList);
    c_.patternList->setItemDelegate(thumbnails_);
    model_->setThumbnailsShown(settings_.thumbnailsShown());
    thumbnails_->setThumbnailsShown(settings_.thumbnailsShown());
    menus_ = new EditorMenus(*this, c_.patternList, settings_.thumbnailsShown());
    if (recovery_)
        journal_ = new JournalWriter(session_, *recovery_, this);
    intake_ = new PictureIntake(this, prompts_, madeFolder(session_.historyFolder(), recovery_),
                                !recovery_);
    frames_->setMadePictures(&intake_->made());
    wire();
    setAcceptDrops(true);
    post(this, [this] { startOver(false); });
}

MainWindow::~MainWindow() {
    // The widgets are destroyed after the members: closing them moves the focus, and what
    // they would say then must not reach a window whose session is gone.
    for (QObject* unit :
         std::initializer_list<QObject*>{fields_, list_, frames_, largeView_, menus_})
        unit->disconnect(this);
    session_.setChangeListener({});
}

void MainWindow::wire() {
    connect(c_.addPattern, &QAbstractButton::clicked, this, &MainWindow::addPattern);
    connect(c_.deletePattern, &QAbstractButton::clicked, this, &MainWindow::deletePatterns);
    connect(c_.moveUp, &QAbstractButton::clicked, this, [this] { movePatterns(-1); });
    connect(c_.moveDown, &QAbstractButton::clicked, this, [this] { movePatterns(1); });
    for (const size_t slot : {0u, 1u})
        for (const auto& [button, command] : {std::pair{c_.addImage[slot], &MainWindow::addImage},
                                              {c_.extractImage[slot], &MainWindow::extractImage},
                                              {c_.deleteImage[slot], &MainWindow::deleteImage}})
            connect(button, &QAbstractButton::clicked, this,
                    [this, command = command, slot] { (this->*command)(int(slot)); });
    connect(list_, &PatternList::selectionChangedByUser, this, [this] {
        session_.endBurst();
        post(this, &MainWindow::commit);
        post(this, &MainWindow::showPattern);
    });
    connect(model_, &PatternListModel::moveRequested, this,
            [this](const std::vector<int>& rows, int destination) {
                const int caret = list_->caretRow(session_.document().patternCount());
                showTable(session_.moveTo(fields_->screen(), rows, destination, caret),
                          &PatternList::rebuild);
            });

    // Every notification of the edits counts as an edit, changes by the user and focus
    // gained or lost alike; what the user typed is stored as it is typed.
    connect(fields_, &EditorFields::commentEdited, this,
            [this](int box, const std::optional<std::string>& stored) {
                stored ? session_.setComment(box, *stored) : session_.markEdited();
            });
    connect(fields_, &EditorFields::passwordEdited, this,
            [this](const std::optional<std::string>& cp932) {
                cp932 ? session_.setPassword(*cp932) : session_.markEdited();
            });
    connect(fields_, &EditorFields::rotationClicked, this,
            [this](std::uint8_t rotation) { session_.setRotation(rotation); });
    connect(fields_, &EditorFields::vendorClicked, this,
            [this](std::uint8_t flag) { session_.setVendorFlag(flag); });
    connect(fields_, &EditorFields::pieceCountChosen, this, [this](std::int16_t count) {
        session_.choosePieceCount(count);
        largeView_->setPieceCount(count);
        post(this, &MainWindow::commit);
    });
    connect(fields_, &EditorFields::touched, this, [this] { session_.markEdited(); });
    connect(fields_, &EditorFields::left, this, [this] { session_.endBurst(); });

    connect(frames_, &PreviewFrames::opened, this, &MainWindow::showLargeView);
    connect(menus_, &EditorMenus::recentFilesWanted, this,
            [this] { menus_->showRecentFiles(settings_.recentFiles()); });
    connect(menus_, &EditorMenus::recentFileChosen, this, [this](const QString& path) {
        if (QFileInfo(path).isFile()) {
            openFile(path);
            return;
        }
        settings_.removeRecentFile(path);
        prompts_.showMessage(this, {QString::fromUtf8(ui::kRecentMissing).arg(path).toStdString(),
                                    ui::kCaptionInformation, puzzle::MessageIcon::Error});
    });
    session_.setChangeListener([this] { showSessionState(); });
    showSessionState();
}

void MainWindow::showSessionState() {
    if (journal_)
        journal_->sessionChanged();
    menus_->showHistory(session_);
    setWindowModified(session_.unsaved());
    const puzzle::Document& doc = session_.document();
    // The title names the document: the bare caption for a new one, else its file.
    const QString title =
        puzzle::IsNewDocument(doc)
            ? QString::fromUtf8(ui::kWindowTitle)
            : QString::fromUtf8(ui::kTitleWithFile)
                  .arg(QString::fromUtf8(ui::kToolName),
                       QDir::toNativeSeparators(displayPath(doc.state.currentFilePath)));
    setWindowTitle(title + QStringLiteral("[*]"));
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    const qreal ratio = c_.patternList->devicePixelRatioF();
    model_->setThumbnailShape({preview::SurfaceLayout::Fitted,
                               (QSizeF(ThumbnailDelegate::kThumbnailBox) * ratio).toSize()},
                              ratio);
    if (!placed_) {
        placed_ = true;
        centreOnDesktop(this);
    }
}

void MainWindow::startOver(bool asStep) {
    // Leaving an edit is an edit notification: it comes before the document starts again.
    c_.patternList->setFocus();
    asStep ? session_.newDocument() : session_.reset();
    fields_->clear(session_.document());
    list_->rebuild();
    list_->select(0, true);
    model_->setShownRow(session_.shown());
    if (!frames_->makeSurfaces(createSurfaces_)) {
        // The reset still runs to its end; the queued exit then closes the window.
        prompts_.showMessage(
            this, {ui::kNoDisplayMemory, ui::kCaptionInformation, puzzle::MessageIcon::None});
        post(this, [this] {
            closingWithoutQuestion_ = true;
            close();
            closingWithoutQuestion_ = false;
        });
    }
    frames_->clear(puzzle::kPuzzleSlot);
    frames_->clear(puzzle::kFinishedSlot);
    frames_->setPainting(true);
    frames_->describePictures(session_.document(), session_.shown());
    frames_->repaintNow();
    if (asStep || !recovery_ || !recovery_->recovered())
        return;
    // What was not saved when the editor ended, as an unsaved document.
    const RecoverySlot::Recovered& recovered = *recovery_->recovered();
    session_.restore(recovered.state);
    showRestored(session_.shown());
    if (!recovered.moved.empty())
        post(this, [this, message = movedPictures(recovered.moved)] {
            prompts_.showMessage(this, message);
        });
}

void MainWindow::commit() {
    session_.commit(fields_->screen());
}

void MainWindow::showPattern() {
    const int i = list_->caretRow(session_.document().patternCount());
    // Each frame keeps what it shows until its new picture is ready. The piece choices come
    // from the puzzle picture's size, read from its header at once.
    const puzzle::Document& doc = session_.document();
    fillPieceChoices(i, frames_->show(puzzle::kPuzzleSlot, puzzle::SlotSource(doc, i, 0)));
    frames_->show(puzzle::kFinishedSlot, puzzle::SlotSource(doc, i, 1));
    fields_->showPattern(doc.pattern(i));
    session_.show(i);
    model_->setShownRow(i);
    frames_->describePictures(doc, i);
    followDocument();
}

void MainWindow::fillPieceChoices(int index, QSize picture) {
    const std::int16_t stored = session_.document().pattern(index).pieceCount;
    if (fields_->offerPieceCounts(picture, stored) != pieces::PieceChoices::Outcome::Refused)
        return;
    session_.detachUnusablePuzzlePicture(index);
    frames_->clear(puzzle::kPuzzleSlot);
    prompts_.showMessage(this,
                         {std::string(pieces::kSmallPictureText),
                          std::string(pieces::kSmallPictureCaption), puzzle::MessageIcon::None});
}

void MainWindow::followDocument() {
    const puzzle::Document& doc = session_.document();
    const int shown = session_.shown();
    largeView_->setSource(puzzle::SlotSource(doc, shown, largeView_->slot()));
    largeView_->setPieceCount(fields_->shownPieceCount(doc.pattern(shown).pieceCount));
    c_.patternList->viewport()->update();
    frames_->prefetchAround(doc, shown);
}

void MainWindow::showLargeView(int slot) {
    const puzzle::Document& doc = session_.document();
    const int shown = session_.shown();
    largeView_->showPicture(slot, puzzle::SlotSource(doc, shown, slot),
                            fields_->shownPieceCount(doc.pattern(shown).pieceCount));
}

void MainWindow::setThumbnailsShown(bool shown) {
    settings_.setThumbnailsShown(shown);
    model_->setThumbnailsShown(shown);
    thumbnails_->setThumbnailsShown(shown);
}

bool MainWindow::busy() const {
    return frames_->pending(puzzle::kPuzzleSlot) || frames_->pending(puzzle::kFinishedSlot) ||
           intake_->busy();
}

void MainWindow::showRestored(std::optional<int> pattern) {
    if (!pattern)
        return;
    list_->rebuild();
    list_->selectOnly({*pattern}, *pattern);
    showPattern();
    fields_->showDocumentValues(session_.document());
}

void MainWindow::undo() {
    showRestored(session_.undo());
}

void MainWindow::redo() {
    showRestored(session_.redo());
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Pictures still being checked are forgotten: nothing is attached to a closing window.
    intake_->cancelAll();
    if (!closingWithoutQuestion_ && session_.unsaved()) {
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

} // namespace pdt::app
