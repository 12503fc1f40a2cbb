#pragma once
// What the editor remembers from one run to the next: the puzzle data files used last, the
// folder each kind of file dialog used last, and the view choices. Nothing of a document is
// kept here.

#include <QString>
#include <QStringList>

#include <memory>

class QSettings;

namespace pdt::app {

class EditorSettings {
  public:
    // The kinds of file whose dialogs each remember a folder of their own.
    enum class Folder { PuzzleData, Picture, Extract };

    static constexpr int kRecentFileCount = 8;

    // The user's own settings.
    EditorSettings();
    // Settings kept in the given file instead, for tests.
    explicit EditorSettings(const QString& iniFile);
    ~EditorSettings();

    // Most recent first.
    QStringList recentFiles() const;
    // Puts the file at the front; the list keeps at most kRecentFileCount distinct files.
    void addRecentFile(const QString& path);
    void removeRecentFile(const QString& path);

    // Empty when the kind has not been used yet.
    QString lastFolder(Folder kind) const;
    void setLastFolder(Folder kind, const QString& folder);

    bool thumbnailsShown() const;
    void setThumbnailsShown(bool shown);

  private:
    std::unique_ptr<QSettings> store_;
};

} // namespace pdt::app
