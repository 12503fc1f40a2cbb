#pragma once
// The editor's main window and its controller. It owns the document and turns menu
// commands, control notifications and dropped files into table operations.
//
// The window talks to itself through four operations that keep a fixed order: reset,
// commit (store the details on screen into pattern `currentPattern`), showPattern (show
// the pattern at the list's caret and make it current) and fillPieceChoices. "Posting" one
// queues it behind the current handler; "sending" calls it at once. Every command that
// changes the table commits first, so what was typed for the pattern shown stays with it.
//
// Every change of the document is a step of the history: the state before it is recorded,
// so that undo and redo can bring it back. The comments, the rotation box and the password
// are stored into the document as the user changes them, so a recorded state is always
// what the screen showed.

#include "app/command_line.h"
#include "app/editor_settings.h"
#include "pieces/piece_grids.h"
#include "preview/preview_loader.h"
#include "preview/preview_surfaces.h"
#include "puzzle/document.h"
#include "puzzle/history.h"

#include <QMainWindow>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;

namespace pdt::app {

class Cp932InputGuard;
class LargeView;
class PreviewFrames;
class Prompts;
class ThumbnailDelegate;

inline constexpr int kCommentBytes = 256;
inline constexpr int kPasswordBytes = 16;

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    // `settings` (kept by the caller) replaces the user's own settings, for tests.
    MainWindow(DialogVariant variant, Prompts& prompts, EditorSettings* settings = nullptr,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    DialogVariant variant() const { return variant_; }
    const puzzle::Document& document() const { return doc_; }
    // The grids behind IDC_MIN_PIECES' entries; a commit reads the chosen entry's count.
    pieces::PieceGridTable& pieceGridChoices() { return pieceGridChoices_; }

    // The private operations. post* queue them behind the running handler.
    void reset();
    void commit();
    void showPattern();
    // Rebuilds IDC_MIN_PIECES for pattern `index` from the size of the picture decoded
    // last, which is that pattern's puzzle picture: the offered counts with the stored one
    // preselected, nothing when no picture was decoded, or the picture detached again
    // (with its message) when it is too small for any grid.
    void fillPieceChoices(int index);
    void postReset();
    void postCommit();
    void postShowPattern();

    // Menu commands.
    void newDocument();
    void openFromMenu();
    // Saves to the current file without a dialog; a document without a file asks for one.
    void saveOverwrite();
    // Asks for a name, then saves there.
    void saveAs();
    void openRecentFile(const QString& path);
    // Closes the window, asking first when there are unsaved changes.
    void exitFromMenu();
    // Closes the window without a question (the reset's failure path).
    void exitWithoutAsking();
    void undo();
    void redo();

    // Pattern list commands.
    void addPattern();
    void deletePatterns();
    void moveUp();
    void moveDown();
    // A copy of the shown pattern right after it.
    void duplicatePattern();
    // Moves the selected patterns before the entry at `destination` (0..count; count is
    // the end), as a drag in the list does.
    void movePatternsTo(int destination);
    // One new pattern per picture file, in name order.
    void addPatternsFromPictures();
    void addPatternsFromFiles(const QStringList& paths);

    // Picture commands on slot 0 (puzzle picture) or 1 (finished picture) of the pattern
    // shown.
    void addImage(int slot);
    void extractImage(int slot);
    void deleteImage(int slot);
    // Attaches the picture file to a slot of pattern `index` as addImage does once its
    // dialog has a choice: a refusal shown, or the preview drawn and, for the puzzle
    // picture, the piece choices rebuilt. False when the picture was refused.
    bool attachPictureFile(int index, int slot, const QString& path);

    // Files dropped on the window (or named on the command line): exactly one is opened.
    void dropFiles(const QStringList& paths);
    // Files dropped on a preview frame: one picture file is attached to that slot, anything
    // else is handled as a drop on the window.
    void dropFilesOnPreview(const QStringList& paths, int slot);
    // Files dropped on the pattern list: pictures become new patterns, anything else is
    // handled as a drop on the window.
    void dropFilesOnList(const QStringList& paths);

    // The open-file dialog; true when the user chose a file (remembered for the next time).
    bool choosePuzzleDataFile();
    // Replaces the document with the file's contents; false, with nothing changed, when
    // the file is refused or its password prompt is given up. Leaves `dirty` to the caller.
    bool openPuzzleDataFile(const QString& path);

    // Opens the large view of a slot's picture of the pattern shown.
    void showLargeView(int slot);
    void setThumbnailsShown(bool shown);

    // The preview surfaces the frames are painted from.
    const preview::PreviewSurfaces& previewSurfaces() const { return surfaces_; }
    // True while a picture asked for a frame is still being decoded.
    bool previewsPending() const;
    // How a reset makes the surfaces; replaceable so that a failure can be tested.
    using SurfaceCreation = std::function<bool(preview::PreviewSurfaces&, int width, int height)>;
    void setSurfaceCreation(SurfaceCreation create) { createSurfaces_ = std::move(create); }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void moveSelectedBy(int step); // -1 up, 1 down
    void buildMenus();
    void connectControls();
    void markDirty() { setDirty(true); }
    void setDirty(bool dirty);
    // The title names the document: the bare caption for a new one, else its file.
    void updateTitle();
    void onListSelectionChanged();
    void onVendorInfoClicked();
    void onRotationClicked();
    void onPieceCountChosen();
    void onCommentChanged(int box);
    void onPasswordChanged();
    void fillRecentMenu();

    // Remembers the document as it is now as the state to go back to before a change.
    void recordStep(const char* label, int pattern, const QString& mergeKey = {});
    void recordStep(const puzzle::Document& before, const char* label, int pattern,
                    const QString& mergeKey = {});
    // The undo and redo commands' state and the names of what they would do.
    void updateHistoryActions();

    // List entries "%3d ﾊﾟﾀｰﾝ"; changes made here raise no selection notification.
    void rebuildList(int count);
    void appendListEntry(int number);
    void selectEntry(int row, bool selected);
    // Selects exactly the given rows, the caret on `caret`.
    void selectOnly(const std::vector<int>& rows, int caret);
    std::vector<int> selectedRows() const;
    int caretRow() const;
    // The entry of the pattern shown is marked, so that the caret moving elsewhere never
    // leaves the user guessing which pattern the details and pictures belong to.
    void markShownEntry();
    // The refusal of picture commands while several patterns are selected; true when shown.
    bool refuseSeveralPatterns();
    // Selects and shows a pattern now, as a click on its entry does once the commit ran.
    void showPatternNow(int index);
    // Brings the whole window in line with the document after it was replaced wholesale
    // (undo, redo): list, selection, the pattern shown, password, vendor box, title.
    void showRestoredDocument(int pattern);

    // Shows a slot's picture of pattern `index` in its frame (at once when it is at hand,
    // else when its decode lands) and keeps the picture's size, from its header, for
    // fillPieceChoices.
    void renderSlot(int index, int slot);
    // The piece count the large view draws: the one chosen on screen, else the stored one.
    int shownPieceCount() const;
    // Thumbnails, the large view and the pictures decoded ahead follow the document.
    void followDocument();
    // Repaints the window at once, from the surfaces.
    void repaintNow();
    // The slot of the preview frame under a point in window coordinates, or -1.
    int previewSlotAt(const QPoint& windowPos) const;
    bool listContains(const QPoint& windowPos) const;
    // Drags within the pattern list move patterns; files dragged onto it are the window's.
    // True when the event was handled here.
    bool listDragEvent(QEvent* event);
    // The name, pixel size and file size of the shown pattern's pictures, on their frames.
    void describePictures();

    void storeComment(puzzle::TextField& field, const Cp932InputGuard& guard);
    void showPasswordText();
    std::optional<std::string> passwordForSave() const;
    // The save itself, to the chosen name: every check, the progress, the messages.
    bool saveTo(const QString& chosen);
    // Commits and runs the check before saving; false (with the message shown and the
    // pattern at fault shown) when a pattern has no picture.
    bool checkBeforeSave();
    // The folder a file dialog of that kind starts in.
    QString startFolder(EditorSettings::Folder kind) const;
    // What an open dialog proposes: the previous choice again, as before; the first time,
    // the folder last used for the kind.
    QString proposedOpen(const QString& previousChoice, EditorSettings::Folder kind) const;
    void rememberFolder(EditorSettings::Folder kind, const QString& chosenFile);

    DialogVariant variant_;
    Prompts& prompts_;
    std::unique_ptr<EditorSettings> ownSettings_;
    EditorSettings& settings_;
    puzzle::Document doc_;
    puzzle::History history_;
    pieces::PieceGridTable pieceGridChoices_{};
    QString lastOpenChoice_;
    QString lastPictureChoice_; // shared by both slots' add dialogs
    preview::PreviewSurfaces surfaces_;
    preview::PreviewLoader loader_;
    PreviewFrames* frames_ = nullptr;
    LargeView* largeView_ = nullptr;
    ThumbnailDelegate* thumbnails_ = nullptr;
    SurfaceCreation createSurfaces_ = preview::createPreviewSurfaces;
    int decodedWidth_ = 0; // of the picture rendered last; 0 x 0 when none decoded
    int decodedHeight_ = 0;
    bool closingWithoutQuestion_ = false;
    bool placed_ = false;
    int markedEntry_ = -1;

    QListWidget* patternList_ = nullptr;
    QPlainTextEdit* clearComment_ = nullptr;
    QPlainTextEdit* finishComment_ = nullptr;
    QLineEdit* password_ = nullptr;
    QCheckBox* rotation_ = nullptr;
    QCheckBox* vendorInfo_ = nullptr; // PZ_BIND2 only
    QComboBox* minPieces_ = nullptr;
    QWidget* puzzleFrame_ = nullptr;
    QWidget* finishedFrame_ = nullptr;
    Cp932InputGuard* clearGuard_ = nullptr;
    Cp932InputGuard* finishGuard_ = nullptr;
    Cp932InputGuard* passwordGuard_ = nullptr;
    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;
    QMenu* recentMenu_ = nullptr;
};

} // namespace pdt::app
