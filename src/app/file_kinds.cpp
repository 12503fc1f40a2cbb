#include "app/file_kinds.h"

#include "app/ui_texts.h"
#include "preview/picture_kind.h"
#include "puzzle/byte_source.h"

#include <QFile>
#include <QStringList>

namespace pdt::app {

std::vector<FileFilter> puzzleDataFilters() {
    return {{ui::kPuzzleDataFilter, ui::kPuzzleDataPattern}};
}

std::vector<FileFilter> pictureFilters() {
    std::vector<FileFilter> filters{{ui::kPictureFilterUsable, ui::kPictureFilterUsablePattern},
                                    {ui::kPictureFilterBitmap, ui::kPictureFilterBitmapPattern},
                                    {ui::kPictureFilterJpeg, ui::kPictureFilterJpegPattern},
                                    {ui::kPictureFilterGif, ui::kPictureFilterGifPattern}};
    // Then the formats the installed readers know and the editor converts.
    QStringList patterns;
    for (const preview::OtherFormat& f : preview::convertibleFormats())
        for (const std::string& p : f.patterns)
            patterns.push_back(QString::fromStdString(p));
    if (!patterns.isEmpty()) {
        const QString joined = patterns.join(QLatin1Char(';'));
        filters.push_back(
            {QString::fromUtf8(ui::kPictureFilterConvertible).arg(joined).toStdString(),
             joined.toStdString()});
    }
    return filters;
}

bool isConvertiblePicture(const QString& path) {
    const auto file = puzzle::FileByteSource::open(nativePath(path));
    return file && preview::unreadableReason(*file, 0, std::int64_t(file->size())).kind ==
                       preview::UnreadableKind::OtherFormat;
}

bool startsLikePuzzleDataFile(const QString& path) {
    // Opened as the engine opens files: a FIFO or a device is refused without waiting.
    const auto file = puzzle::FileByteSource::open(nativePath(path));
    std::uint8_t magic[3] = {};
    return file && file->readAt(0, magic) && magic[0] == 'A' && magic[1] == 'D' && magic[2] == 'X';
}

// The engine takes UTF-8 paths on Windows, where the local 8-bit encoding of QFile would be
// the ANSI code page and lose every character it lacks. Qt's '/' separators stay: Windows
// takes them as they are.
std::string nativePath(const QString& path) {
#ifdef _WIN32
    return path.toStdString();
#else
    return QFile::encodeName(path).toStdString();
#endif
}

QString displayPath(const std::string& native) {
#ifdef _WIN32
    return QString::fromStdString(native);
#else
    return QFile::decodeName(QByteArray::fromStdString(native));
#endif
}

} // namespace pdt::app
