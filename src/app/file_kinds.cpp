#include "app/file_kinds.h"

#include "app/ui_texts.h"
#include "puzzle/byte_source.h"

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
    // Opened as the engine opens files: a FIFO or a device is refused without waiting.
    const auto file = puzzle::FileByteSource::open(nativePath(path));
    std::uint8_t magic[3] = {};
    return file && file->readAt(0, magic) && magic[0] == 'A' && magic[1] == 'D' && magic[2] == 'X';
}

std::string nativePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString displayPath(const std::string& native) {
    return QFile::decodeName(QByteArray::fromStdString(native));
}

} // namespace pdt::app
