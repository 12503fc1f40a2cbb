#include "app/editor_settings.h"

#include <QDir>
#include <QSettings>

namespace pdt::app {

namespace {

const QString kRecentKey = QStringLiteral("recentFiles");
const QString kThumbnailsKey = QStringLiteral("view/thumbnails");

QString folderKey(EditorSettings::Folder kind) {
    switch (kind) {
    case EditorSettings::Folder::PuzzleData:
        return QStringLiteral("folders/puzzleData");
    case EditorSettings::Folder::Picture:
        return QStringLiteral("folders/picture");
    case EditorSettings::Folder::Extract:
        break;
    }
    return QStringLiteral("folders/extract");
}

} // namespace

// Windows keeps a program's settings in the registry, under
// HKEY_CURRENT_USER\Software\PuzzleDataTool\puzzle-data-tool, where users look for them.
#ifdef _WIN32
constexpr QSettings::Format kUserFormat = QSettings::NativeFormat;
#else
constexpr QSettings::Format kUserFormat = QSettings::IniFormat;
#endif

EditorSettings::EditorSettings()
    : store_(std::make_unique<QSettings>(kUserFormat, QSettings::UserScope,
                                         QStringLiteral("PuzzleDataTool"),
                                         QStringLiteral("puzzle-data-tool"))) {}

EditorSettings::EditorSettings(const QString& iniFile)
    : store_(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {}

EditorSettings::~EditorSettings() = default;

QStringList EditorSettings::recentFiles() const {
    QStringList files = store_->value(kRecentKey).toStringList();
    files.removeAll(QString());
    if (files.size() > kRecentFileCount)
        files.resize(kRecentFileCount);
    return files;
}

void EditorSettings::addRecentFile(const QString& path) {
    const QString file = QDir::cleanPath(path);
    QStringList files = recentFiles();
    files.removeAll(file);
    files.prepend(file);
    if (files.size() > kRecentFileCount)
        files.resize(kRecentFileCount);
    store_->setValue(kRecentKey, files);
}

void EditorSettings::removeRecentFile(const QString& path) {
    QStringList files = recentFiles();
    files.removeAll(QDir::cleanPath(path));
    store_->setValue(kRecentKey, files);
}

QString EditorSettings::lastFolder(Folder kind) const {
    return store_->value(folderKey(kind)).toString();
}

void EditorSettings::setLastFolder(Folder kind, const QString& folder) {
    store_->setValue(folderKey(kind), folder);
}

bool EditorSettings::thumbnailsShown() const {
    return store_->value(kThumbnailsKey, false).toBool();
}

void EditorSettings::setThumbnailsShown(bool shown) {
    store_->setValue(kThumbnailsKey, shown);
}

} // namespace pdt::app
