#pragma once
// The editor's main window and its controller. It owns the document and turns menu
// commands, control notifications and dropped files into table operations.
//
// The window talks to itself through four operations that keep a fixed order: reset,
// commit (store the details on screen into pattern `currentPattern`), showPattern (show
// the pattern at the list's caret and make it current) and fillPieceChoices. "Posting" one
// queues it behind the current handler; "sending" calls it at once. Selecting another
// pattern posts a commit and then a show, so what was typed for the pattern shown is
// stored into that pattern before the selection moves on.

#include "app/command_line.h"
#include "pieces/piece_grids.h"
#include "preview/preview_surfaces.h"
#include "puzzle/document.h"

#include <QMainWindow>
#include <QString>

#include <functional>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;

namespace pdt::app {

class Cp932InputGuard;
class Prompts;

inline constexpr int kCommentBytes = 256;
inline constexpr int kPasswordBytes = 16;

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    MainWindow(DialogVariant variant, Prompts& prompts, QWidget* parent = nullptr);
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
    void save();
    void exitWithoutAsking();

    // Pattern list commands.
    void addPattern();
    void deletePatterns();
    void moveUp();
    void moveDown();

    // Picture commands on slot 0 (puzzle picture) or 1 (finished picture) of the pattern at
    // the list's caret.
    void addImage(int slot);
    void extractImage(int slot);
    void deleteImage(int slot);
    // Attaches the picture file to a slot of pattern `index` as addImage does once its dialog
    // has a choice: the engine's refusal shown, or the preview drawn and, for the puzzle
    // picture, the piece choices rebuilt. False when the engine refused the file.
    bool attachPictureFile(int index, int slot, const QString& path);

    // Files dropped on the window (or named on the command line): exactly one is opened.
    void dropFiles(const QStringList& paths);
    // Files dropped on a preview frame: one picture file is attached to that slot, anything
    // else is handled as a drop on the window.
    void dropFilesOnPreview(const QStringList& paths, int slot);

    // The open-file dialog; true when the user chose a file (remembered for the next time).
    bool choosePuzzleDataFile();
    // Replaces the document with the file's contents; false, with nothing changed, when
    // the file is refused or its password prompt is given up. Leaves `dirty` to the caller.
    bool openPuzzleDataFile(const QString& path);

    // The preview surfaces the frames are painted from.
    const preview::PreviewSurfaces& previewSurfaces() const { return surfaces_; }
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
    void buildMenu();
    void connectControls();
    void markDirty() { doc_.state.dirty = true; }
    void onListSelectionChanged();
    void onVendorInfoClicked();

    // List entries "%3d ﾊﾟﾀｰﾝ"; changes made here raise no selection notification.
    void rebuildList(int count);
    void appendListEntry(int number);
    void selectEntry(int row, bool selected);
    std::vector<int> selectedRows() const;
    int caretRow() const;
    // The refusal of picture commands while several patterns are selected; true when shown.
    bool refuseSeveralPatterns();

    // Draws a slot's picture of pattern `index` into its surface and keeps the decoded size
    // for fillPieceChoices.
    void renderSlot(int index, int slot);
    // Repaints the window at once, from the surfaces.
    void repaintNow();
    // The slot of the preview frame under a point in window coordinates, or -1.
    int previewSlotAt(const QPoint& windowPos) const;

    void storeComment(puzzle::TextField& field, const Cp932InputGuard& guard);
    void showPasswordText();
    std::optional<std::string> passwordForSave() const;

    DialogVariant variant_;
    Prompts& prompts_;
    puzzle::Document doc_;
    pieces::PieceGridTable pieceGridChoices_{};
    QString lastOpenChoice_;
    QString lastPictureChoice_; // shared by both slots' add dialogs
    preview::PreviewSurfaces surfaces_;
    SurfaceCreation createSurfaces_ = preview::createPreviewSurfaces;
    int decodedWidth_ = 0; // of the picture rendered last; 0 x 0 when none decoded
    int decodedHeight_ = 0;
    bool closingWithoutQuestion_ = false;
    bool placed_ = false;

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
};

} // namespace pdt::app
