#pragma once
// The main window's menu bar: the file, edit and view menus with their shortcuts, the list
// of recent files, and the undo and redo commands named after what they would do.

#include <QObject>
#include <QStringList>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace pdt::session {
class EditSession;
}

namespace pdt::app {

class MainWindow;

class EditorMenus : public QObject {
    Q_OBJECT
  public:
    // The menus of `window`; the keys that delete and move patterns belong to `patternList`
    // alone (in the edits, Delete deletes text).
    EditorMenus(MainWindow& window, QWidget* patternList, bool thumbnailsShown);

    // The undo and redo commands as the session's history stands.
    void showHistory(const session::EditSession& session);
    // The recent files, most recent first.
    void showRecentFiles(const QStringList& files);

  signals:
    void recentFileChosen(const QString& path);
    // The recent files menu is about to open: it wants the list again.
    void recentFilesWanted();

  private:
    void addFileMenu(MainWindow& window, QMenuBar* bar);
    void addEditMenu(MainWindow& window, QMenuBar* bar, QWidget* patternList);
    void addViewMenu(MainWindow& window, QMenuBar* bar, bool thumbnailsShown);

    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
    QMenu* recent_ = nullptr;
};

} // namespace pdt::app
