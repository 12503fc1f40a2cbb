#include "app/editor_menus.h"

#include "app/dialog_builder.h"
#include "app/dialog_templates.h"
#include "app/main_window.h"
#include "app/ui_texts.h"
#include "session/edit_session.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>

#include <functional>

namespace pdt::app {

namespace {

QAction* namedAction(QMenu* menu, const char* text, const char* name) {
    QAction* action = menu->addAction(QString::fromUtf8(text));
    action->setObjectName(QString::fromUtf8(name));
    return action;
}

QMenu* addMenu(QMenuBar* bar, const char* text, const char* name) {
    QMenu* menu = bar->addMenu(QString::fromUtf8(text));
    menu->setObjectName(QString::fromUtf8(name));
    menu->setFont(bar->font());
    return menu;
}

void showStep(QAction* action, bool enabled, const std::string& step, const char* tip) {
    action->setEnabled(enabled);
    const QString text =
        enabled ? QString::fromUtf8(tip).arg(QString::fromStdString(step)) : QString();
    action->setToolTip(text);
    action->setStatusTip(text);
}

QAction* command(QMenu* menu, const char* text, const char* name, MainWindow& window,
                 std::function<void()> handler, QList<QKeySequence> keys = {}) {
    QAction* action = namedAction(menu, text, name);
    action->setShortcuts(keys);
    QObject::connect(action, &QAction::triggered, &window, std::move(handler));
    return action;
}

} // namespace

EditorMenus::EditorMenus(MainWindow& window, QWidget* patternList, bool thumbnailsShown)
    : QObject(&window) {
    QMenuBar* bar = window.menuBar();
    // Menus take the prompt's proportional face, the one closest to the system menu font.
    bar->setFont(dialogFont(PasswordDialogTemplate()));
    addFileMenu(window, bar);
    addEditMenu(window, bar, patternList);
    addViewMenu(window, bar, thumbnailsShown);
}

void EditorMenus::addFileMenu(MainWindow& window, QMenuBar* bar) {
    QMenu* file = addMenu(bar, ui::kMenuFile, "FileMenu");
    command(file, ui::kMenuNew, "IDM_NEW", window, [&window] { window.newDocument(); },
            {QKeySequence::New});
    command(file, ui::kMenuOpen, "IDM_OPEN", window, [&window] { window.openFromMenu(); },
            {QKeySequence::Open});
    command(file, ui::kMenuSaveOver, "IDM_SAVE_OVER", window, [&window] { window.saveOverwrite(); },
            {QKeySequence(Qt::CTRL | Qt::Key_S)});
    command(file, ui::kMenuSaveAs, "IDM_SAVE", window, [&window] { window.saveAs(); },
            {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)});
    file->addSeparator();
    recent_ = file->addMenu(QString::fromUtf8(ui::kMenuRecent));
    recent_->setObjectName(QStringLiteral("RecentMenu"));
    recent_->setFont(bar->font());
    recent_->setToolTipsVisible(true);
    connect(recent_, &QMenu::aboutToShow, this, &EditorMenus::recentFilesWanted);
    file->addSeparator();
    // Closing asks first when there are unsaved changes.
    command(file, ui::kMenuExit, "IDM_EXIT", window, [&window] { window.close(); },
            {QKeySequence(Qt::CTRL | Qt::Key_Q)});
}

void EditorMenus::addEditMenu(MainWindow& window, QMenuBar* bar, QWidget* patternList) {
    QMenu* edit = addMenu(bar, ui::kMenuEdit, "EditMenu");
    // The menu shows what each would undo or redo as its tooltip.
    edit->setToolTipsVisible(true);
    undo_ = command(edit, ui::kMenuUndo, "IDM_UNDO", window, [&window] { window.undo(); },
                    {QKeySequence::Undo});
    redo_ = command(
        edit, ui::kMenuRedo, "IDM_REDO", window, [&window] { window.redo(); },
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    edit->addSeparator();
    command(edit, ui::kMenuDuplicate, "IDM_DUPLICATE", window,
            [&window] { window.duplicatePattern(); }, {QKeySequence(Qt::CTRL | Qt::Key_D)});
    // These keys belong to the pattern list: in the edits, Delete deletes text.
    const auto listCommand = [&](const char* text, const char* name, std::function<void()> handler,
                                 QKeySequence key) {
        QAction* action = command(edit, text, name, window, std::move(handler), {key});
        action->setShortcutContext(Qt::WidgetShortcut);
        patternList->addAction(action);
    };
    listCommand(
        ui::kMenuDeletePatterns, "IDM_DELETE_PATTERNS", [&window] { window.deletePatterns(); },
        QKeySequence(Qt::Key_Delete));
    listCommand(
        ui::kMenuMoveUp, "IDM_MOVE_UP", [&window] { window.movePatterns(-1); },
        QKeySequence(Qt::CTRL | Qt::Key_Up));
    listCommand(
        ui::kMenuMoveDown, "IDM_MOVE_DOWN", [&window] { window.movePatterns(1); },
        QKeySequence(Qt::CTRL | Qt::Key_Down));
    edit->addSeparator();
    command(edit, ui::kMenuAddFromPictures, "IDM_ADD_FROM_PICTURES", window,
            [&window] { window.addPatternsFromPictures(); });
}

void EditorMenus::addViewMenu(MainWindow& window, QMenuBar* bar, bool thumbnailsShown) {
    QMenu* view = addMenu(bar, ui::kMenuView, "ViewMenu");
    QAction* thumbnails = namedAction(view, ui::kMenuThumbnails, "IDM_THUMBNAILS");
    thumbnails->setCheckable(true);
    thumbnails->setChecked(thumbnailsShown);
    connect(thumbnails, &QAction::toggled, &window, &MainWindow::setThumbnailsShown);
    view->addSeparator();
    command(view, ui::kMenuLargePuzzle, "IDM_LARGE_PUZZLE", window,
            [&window] { window.showLargeView(0); });
    command(view, ui::kMenuLargeFinished, "IDM_LARGE_FINISHED", window,
            [&window] { window.showLargeView(1); });
}

void EditorMenus::showHistory(const session::EditSession& session) {
    showStep(undo_, session.canUndo(), session.undoLabel(), ui::kUndoTip);
    showStep(redo_, session.canRedo(), session.redoLabel(), ui::kRedoTip);
}

void EditorMenus::showRecentFiles(const QStringList& files) {
    recent_->clear();
    for (int i = 0; i < files.size(); ++i) {
        // "&1 name" for the keyboard; the full path in the tooltip.
        QAction* action = recent_->addAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(files[i]).fileName()));
        action->setToolTip(files[i]);
        action->setStatusTip(files[i]);
        action->setData(files[i]);
        connect(action, &QAction::triggered, this,
                [this, path = files[i]] { emit recentFileChosen(path); });
    }
    recent_->setEnabled(!files.isEmpty());
}

} // namespace pdt::app
