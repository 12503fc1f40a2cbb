#include "app/file_kinds.h"

#include "app/ui_texts.h"

#include <QFile>

namespace pdt::app {

std::vector<FileFilter> puzzleDataFilters() {
    return {{ui::kPuzzleDataFilter, ui::kPuzzleDataPattern}};
}

std::vector<FileFilter> pictureFilters() {
    return {{ui::kPictureFilterUsable, ui::kPictureFilterUsablePattern},
            {ui::kPictureFilterBitmap, ui::kPictureFilterBitmapPattern},
            {ui::kPictureFilterJpeg, ui::kPictureFilterJpegPattern},
            {ui::kPictureFilterGif, ui::kPictureFilterGifPattern}};
}

bool startsLikePuzzleDataFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && f.read(3) == QByteArrayLiteral("ADX");
}

std::string nativePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString displayPath(const std::string& native) {
    return QFile::decodeName(QByteArray::fromStdString(native));
}

} // namespace pdt::app
