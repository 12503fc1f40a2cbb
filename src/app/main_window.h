#pragma once
// The editor's main window: a view over one editing session. It builds the dialog from its
// template, wires the controls, turns what the user does into one session command each and
// shows what the command returned.
//
// The window talks to itself through four operations that keep a fixed order: reset,
// commit (store the details on screen into the pattern shown), showPattern (show the
// pattern at the list's caret and make it the one shown) and fillPieceChoices. Posting one
// queues it behind the current handler; calling it runs it at once. Every command that
// changes the table commits first, so what was typed for the pattern shown stays with it.

#include "app/command_line.h"
#include "app/drop_routing.h"
#include "app/editor_controls.h"
#include "app/editor_settings.h"
#include "app/preview_frames.h"
#include "preview/preview_loader.h"
#include "preview/preview_surfaces.h"
#include "session/edit_session.h"

#include <QMainWindow>
#include <QString>

#include <memory>
#include <string>
#include <vector>

namespace pdt::app {

class DialogFolders;
class EditorFields;
class EditorMenus;
class JournalWriter;
class LargeView;
class PatternList;
class PatternListModel;
class PictureIntake;
class Prompts;
class RecoverySlot;
class ThumbnailDelegate;

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    // `settings` (kept by the caller) replaces the user's own settings, for tests. With a
    // recovery slot (kept by the caller) the unsaved state is journaled there, and a state
    // the slot recovered is what the window starts with.
    MainWindow(DialogVariant variant, Prompts& prompts, EditorSettings* settings = nullptr,
               RecoverySlot* recovery = nullptr, QWidget* parent = nullptr);
    ~MainWindow() override;

    const session::EditSession& session() const { return session_; }
    // Stores the details on screen into the pattern shown.
    void commit();

    // Menu commands.
    void newDocument();
    void openFromMenu();
    // Saves to the current file without a dialog; a document without a file asks for one.
    void saveOverwrite();
    // Asks for a name, then saves there.
    void saveAs();
    void undo();
    void redo();
    void addPattern();
    void deletePatterns();
    // Moves the selected patterns one place up (-1) or down (1).
    void movePatterns(int step);
    // A copy of the shown pattern right after it.
    void duplicatePattern();
    // One new pattern per picture file, in name order.
    void addPatternsFromPictures();
    void setThumbnailsShown(bool shown);
    // Opens the large view of a slot's picture of the pattern shown.
    void showLargeView(int slot);

    // Files dropped somewhere (the command line's file is dropped on the window); `slot`
    // is the frame's for DropPlace::Frame.
    void dropFiles(const QStringList& paths, DropPlace place = DropPlace::Window, int slot = -1);

    // The preview surfaces the frames are painted from.
    const preview::PreviewSurfaces& previewSurfaces() const { return surfaces_; }
    // True while a picture asked for a frame is decoded or pictures are checked.
    bool busy() const;
    void setSurfaceCreation(PreviewFrames::SurfaceCreation create) {
        createSurfaces_ = std::move(create);
    }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void wire();
    // The undo and redo commands, the modified marker and the title, from the session.
    void showSessionState();
    // The document starts again as one empty pattern: at start-up, and as a step of its own
    // for the new command.
    void startOver(bool asStep);
    void showPattern();
    // Rebuilds the piece-count choices for pattern `index` from its puzzle picture's size:
    // the offered counts with the stored one preselected, nothing when there is no picture,
    // or the picture detached again (with its message) when it is too small for any grid.
    void fillPieceChoices(int index, QSize picture);
    // What a table command left: its refusal, or the list (brought in line by `entries`
    // first) with the new selection, the pattern at the caret shown once the command returned.
    void showTable(const session::TableResult& result, void (PatternList::*entries)());
    // The document was replaced as a whole (undo, redo): everything is drawn again from it.
    void showRestored(std::optional<int> pattern);
    // Thumbnails, the large view and the pictures decoded ahead follow the pattern shown.
    void followDocument();
    bool refuseSeveralPatterns();

    void addImage(int slot);
    void extractImage(int slot);
    void deleteImage(int slot);
    // Attaches a picture file to a slot of the pattern shown, once it is checked.
    void attachFile(int slot, const QString& path);
    void addPictureFiles(const QStringList& paths);

    // Replaces the document with the file's contents; false, with nothing changed, when the
    // file is refused or its password prompt is given up.
    bool openFile(const QString& path);
    // Commits and runs the check before saving; false (with the message shown and the
    // pattern at fault shown) when a pattern has no picture.
    bool checkBeforeSave();
    // The save itself, to the chosen name: every check, the progress, the messages.
    void saveTo(const QString& chosen);

    Prompts& prompts_;
    std::unique_ptr<EditorSettings> ownSettings_;
    EditorSettings& settings_;
    session::EditSession session_;
    std::unique_ptr<DialogFolders> folders_;
    preview::PreviewSurfaces surfaces_;
    preview::PreviewLoader loader_;
    EditorControls c_;
    EditorFields* fields_ = nullptr;
    PatternListModel* model_ = nullptr;
    PatternList* list_ = nullptr;
    PreviewFrames* frames_ = nullptr;
    LargeView* largeView_ = nullptr;
    ThumbnailDelegate* thumbnails_ = nullptr;
    EditorMenus* menus_ = nullptr;
    RecoverySlot* recovery_ = nullptr;
    JournalWriter* journal_ = nullptr;
    PreviewFrames::SurfaceCreation createSurfaces_ = preview::createPreviewSurfaces;
    PictureIntake* intake_ = nullptr;
    bool closingWithoutQuestion_ = false;
    bool placed_ = false;
};

} // namespace pdt::app
