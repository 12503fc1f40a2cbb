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
#include "puzzle/document.h"

#include <QMainWindow>
#include <QString>

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
    // Rebuilds IDC_MIN_PIECES for pattern `index` from its puzzle picture. The hook the
    // picture controls fill in; until they do it leaves the box as it is.
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

    // Files dropped on the window (or named on the command line): exactly one is opened.
    void dropFiles(const QStringList& paths);

    // The open-file dialog; true when the user chose a file (remembered for the next time).
    bool choosePuzzleDataFile();
    // Replaces the document with the file's contents; false, with nothing changed, when
    // the file is refused or its password prompt is given up. Leaves `dirty` to the caller.
    bool openPuzzleDataFile(const QString& path);

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

    void storeComment(puzzle::TextField& field, const Cp932InputGuard& guard);
    void showPasswordText();
    std::optional<std::string> passwordForSave() const;

    DialogVariant variant_;
    Prompts& prompts_;
    puzzle::Document doc_;
    pieces::PieceGridTable pieceGridChoices_{};
    QString lastOpenChoice_;
    bool closingWithoutQuestion_ = false;
    bool placed_ = false;

    QListWidget* patternList_ = nullptr;
    QPlainTextEdit* clearComment_ = nullptr;
    QPlainTextEdit* finishComment_ = nullptr;
    QLineEdit* password_ = nullptr;
    QCheckBox* rotation_ = nullptr;
    QCheckBox* vendorInfo_ = nullptr; // PZ_BIND2 only
    QComboBox* minPieces_ = nullptr;
    Cp932InputGuard* clearGuard_ = nullptr;
    Cp932InputGuard* finishGuard_ = nullptr;
    Cp932InputGuard* passwordGuard_ = nullptr;
};

} // namespace pdt::app
