// The main window's menus, their shortcuts, and undo and redo.

#include "app/dialog_builder.h"
#include "app/dialog_templates.h"
#include "app/editor_settings.h"
#include "app/main_window.h"
#include "app/ui_texts.h"

#include <QAction>
#include <QFileInfo>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>

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

} // namespace

void MainWindow::buildMenus() {
    // Menus take the prompt's proportional face, the one closest to the system menu font.
    menuBar()->setFont(dialogFont(PasswordDialogTemplate()));
    const auto command = [&](QMenu* menu, const char* text, const char* name,
                             void (MainWindow::*handler)(), QList<QKeySequence> keys = {}) {
        QAction* action = namedAction(menu, text, name);
        action->setShortcuts(keys);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };

    QMenu* file = addMenu(menuBar(), ui::kMenuFile, "FileMenu");
    command(file, ui::kMenuNew, "IDM_NEW", &MainWindow::newDocument, {QKeySequence::New});
    command(file, ui::kMenuOpen, "IDM_OPEN", &MainWindow::openFromMenu, {QKeySequence::Open});
    command(file, ui::kMenuSaveOver, "IDM_SAVE_OVER", &MainWindow::saveOverwrite,
            {QKeySequence(Qt::CTRL | Qt::Key_S)});
    command(file, ui::kMenuSaveAs, "IDM_SAVE", &MainWindow::saveAs,
            {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)});
    file->addSeparator();
    recentMenu_ = file->addMenu(QString::fromUtf8(ui::kMenuRecent));
    recentMenu_->setObjectName(QStringLiteral("RecentMenu"));
    recentMenu_->setFont(menuBar()->font());
    connect(recentMenu_, &QMenu::aboutToShow, this, &MainWindow::fillRecentMenu);
    fillRecentMenu();
    file->addSeparator();
    command(file, ui::kMenuExit, "IDM_EXIT", &MainWindow::exitFromMenu,
            {QKeySequence(Qt::CTRL | Qt::Key_Q)});

    QMenu* edit = addMenu(menuBar(), ui::kMenuEdit, "EditMenu");
    // The menu shows what each would undo or redo as its tooltip.
    edit->setToolTipsVisible(true);
    undoAction_ = command(edit, ui::kMenuUndo, "IDM_UNDO", &MainWindow::undo, {QKeySequence::Undo});
    redoAction_ = command(edit, ui::kMenuRedo, "IDM_REDO", &MainWindow::redo,
                          {QKeySequence(Qt::CTRL | Qt::Key_Y),
                           QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    edit->addSeparator();
    command(edit, ui::kMenuDuplicate, "IDM_DUPLICATE", &MainWindow::duplicatePattern,
            {QKeySequence(Qt::CTRL | Qt::Key_D)});
    // These keys belong to the pattern list: in the edits, Delete deletes text.
    const auto listCommand = [&](const char* text, const char* name,
                                 void (MainWindow::*handler)(), QKeySequence key) {
        QAction* action = command(edit, text, name, handler, {key});
        action->setShortcutContext(Qt::WidgetShortcut);
        patternList_->addAction(action);
    };
    listCommand(ui::kMenuDeletePatterns, "IDM_DELETE_PATTERNS", &MainWindow::deletePatterns,
                QKeySequence(Qt::Key_Delete));
    listCommand(ui::kMenuMoveUp, "IDM_MOVE_UP", &MainWindow::moveUp,
                QKeySequence(Qt::CTRL | Qt::Key_Up));
    listCommand(ui::kMenuMoveDown, "IDM_MOVE_DOWN", &MainWindow::moveDown,
                QKeySequence(Qt::CTRL | Qt::Key_Down));
    edit->addSeparator();
    command(edit, ui::kMenuAddFromPictures, "IDM_ADD_FROM_PICTURES",
            &MainWindow::addPatternsFromPictures);

    QMenu* view = addMenu(menuBar(), ui::kMenuView, "ViewMenu");
    QAction* thumbnails = namedAction(view, ui::kMenuThumbnails, "IDM_THUMBNAILS");
    thumbnails->setCheckable(true);
    thumbnails->setChecked(settings_.thumbnailsShown());
    connect(thumbnails, &QAction::toggled, this, &MainWindow::setThumbnailsShown);
    view->addSeparator();
    for (const auto& [text, name, slot] :
         {std::tuple{ui::kMenuLargePuzzle, "IDM_LARGE_PUZZLE", puzzle::kPuzzleSlot},
          {ui::kMenuLargeFinished, "IDM_LARGE_FINISHED", puzzle::kFinishedSlot}}) {
        QAction* action = namedAction(view, text, name);
        connect(action, &QAction::triggered, this, [this, slot = slot] { showLargeView(slot); });
    }
    updateHistoryActions();
}

void MainWindow::fillRecentMenu() {
    recentMenu_->clear();
    const QStringList files = settings_.recentFiles();
    for (int i = 0; i < files.size(); ++i) {
        // "&1 name" for the keyboard; the full path in the tooltip.
        QAction* action = recentMenu_->addAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(files[i]).fileName()));
        action->setToolTip(files[i]);
        action->setStatusTip(files[i]);
        action->setData(files[i]);
        connect(action, &QAction::triggered, this, [this, path = files[i]] { openRecentFile(path); });
    }
    recentMenu_->setToolTipsVisible(true);
    recentMenu_->setEnabled(!files.isEmpty());
}

void MainWindow::updateHistoryActions() {
    const auto label = [](QAction* action, bool enabled, const std::string& step, const char* tip) {
        action->setEnabled(enabled);
        const QString text = enabled ? QString::fromUtf8(tip).arg(QString::fromStdString(step))
                                     : QString();
        action->setToolTip(text);
        action->setStatusTip(text);
    };
    label(undoAction_, history_.canUndo(), history_.undoLabel(), ui::kUndoTip);
    label(redoAction_, history_.canRedo(), history_.redoLabel(), ui::kRedoTip);
}

void MainWindow::recordStep(const char* label, int pattern, const QString& mergeKey) {
    recordStep(doc_, label, pattern, mergeKey);
}

void MainWindow::recordStep(const puzzle::Document& before, const char* label, int pattern,
                            const QString& mergeKey) {
    history_.record(before, label, pattern, mergeKey.toStdString());
    updateHistoryActions();
}

void MainWindow::undo() {
    history_.breakMerge();
    if (const std::optional<int> pattern = history_.undo(doc_))
        showRestoredDocument(*pattern);
    updateHistoryActions();
}

void MainWindow::redo() {
    history_.breakMerge();
    if (const std::optional<int> pattern = history_.redo(doc_))
        showRestoredDocument(*pattern);
    updateHistoryActions();
}

} // namespace pdt::app
