#include "preview/picture_cache.h"

#include "puzzle/file_system.h"

#include <QHashFunctions>

#include <filesystem>
#include <system_error>

namespace pdt::preview {

namespace {

// What an entry costs besides its pixels, so that entries without any still count.
constexpr qsizetype kEntryOverhead = 256;

struct FileState {
    std::int64_t size = 0;
    std::int64_t modified = 0;
};

std::optional<FileState> fileState(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path p = puzzle::FsPath(path);
    const std::uintmax_t size = fs::file_size(p, error);
    if (error)
        return std::nullopt;
    const fs::file_time_type modified = fs::last_write_time(p, error);
    if (error)
        return std::nullopt;
    return FileState{std::int64_t(size), std::int64_t(modified.time_since_epoch().count())};
}

} // namespace

std::optional<PictureIdentity> identifyPicture(const puzzle::ImageSource& source) {
    using Kind = puzzle::ImageSource::Kind;
    if (source.size == 0 || source.kind == Kind::Empty || source.file.empty())
        return std::nullopt;
    const std::optional<FileState> state = fileState(source.file);
    if (!state)
        return std::nullopt;
    PictureIdentity id{source.file, state->size, state->modified, 0, state->size};
    if (source.kind == Kind::CurrentFileRange) {
        id.offset = source.offset;
        id.size = source.size;
    }
    return id;
}

size_t qHash(const SurfaceKey& key, size_t seed) {
    const PictureIdentity& p = key.picture;
    return qHashMulti(seed, QByteArrayView(p.file.data(), qsizetype(p.file.size())), p.fileSize,
                      p.modified, p.offset, p.size, int(key.shape.layout), key.shape.size.width(),
                      key.shape.size.height());
}

QSize fittedSize(QSize stored, QSize bounds) {
    if (stored.isEmpty() || bounds.isEmpty())
        return {0, 0};
    return stored.scaled(bounds, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

PictureCache::PictureCache(qsizetype capBytes) : cache_(capBytes) {}

std::optional<PictureSurface> PictureCache::find(const SurfaceKey& key) {
    if (const PictureSurface* s = cache_.object(key))
        return *s;
    return std::nullopt;
}

void PictureCache::insert(const SurfaceKey& key, const PictureSurface& surface) {
    cache_.insert(key, new PictureSurface(surface), surface.image.sizeInBytes() + kEntryOverhead);
}

} // namespace pdt::preview
