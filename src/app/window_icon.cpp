#include "app/window_icon.h"

#include <QDir>

namespace pdt::app {

QIcon makeWindowIcon() {
    QIcon icon;
    // Without a size, QIcon takes each file's own.
    for (const QFileInfo& file : QDir(QStringLiteral(":/window-icon")).entryInfoList(QDir::Files))
        icon.addFile(file.filePath());
    return icon;
}

} // namespace pdt::app
