#include "app/dialog_folders.h"

#include "app/file_kinds.h"

#include <QDir>
#include <QFileInfo>

namespace pdt::app {

namespace {

EditorSettings::Folder kindOf(DialogFolders::Choice choice) {
    return choice == DialogFolders::Choice::PuzzleData ? EditorSettings::Folder::PuzzleData
                                                       : EditorSettings::Folder::Picture;
}

} // namespace

QString DialogFolders::startFolder(EditorSettings::Folder kind, const puzzle::Document& doc) const {
    const QString remembered = settings_.lastFolder(kind);
    if (!remembered.isEmpty() && QFileInfo(remembered).isDir())
        return remembered;
    if (!puzzle::IsNewDocument(doc))
        return QFileInfo(displayPath(doc.state.currentFilePath)).absolutePath();
    return QString();
}

QString DialogFolders::inStartFolder(const QString& name, EditorSettings::Folder kind,
                                     const puzzle::Document& doc) const {
    const QString folder = startFolder(kind, doc);
    return folder.isEmpty() ? name : QDir(folder).filePath(name);
}

QString DialogFolders::proposedOpen(Choice choice, const puzzle::Document& doc) const {
    const QString& previous = choice == Choice::PuzzleData ? lastOpenChoice_ : lastPictureChoice_;
    if (!previous.isEmpty())
        return previous;
    const QString folder = startFolder(kindOf(choice), doc);
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/');
}

void DialogFolders::remember(EditorSettings::Folder kind, const QString& chosenFile) {
    settings_.setLastFolder(kind, QFileInfo(chosenFile).absolutePath());
}

void DialogFolders::rememberChoice(Choice choice, const QString& chosenFile) {
    (choice == Choice::PuzzleData ? lastOpenChoice_ : lastPictureChoice_) = chosenFile;
    remember(kindOf(choice), chosenFile);
}

} // namespace pdt::app
