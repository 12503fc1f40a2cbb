#pragma once
// Finished surfaces by picture identity and size, so that a picture seen before is drawn
// again without reading or decoding anything.

#include "puzzle/document.h"

#include <QCache>
#include <QImage>
#include <QSize>

#include <cstdint>
#include <optional>
#include <string>

namespace pdt::preview {

// What a picture's bytes are, found without reading them: the file that holds them (the
// picture's own file, or the puzzle data file it is stored in) as the file is now, and the
// range taken. Rewriting a file changes its size or modification time, and so its identity.
struct PictureIdentity {
    std::string file;
    std::int64_t fileSize = 0;
    std::int64_t modified = 0; // in the file clock's ticks (nanoseconds here)
    std::int64_t offset = 0;   // 0 for a whole picture file
    std::int64_t size = 0;     // the bytes taken: the range, or the whole file

    bool operator==(const PictureIdentity&) const = default;
};

// Nothing for a slot without a picture, and for a file that is not there now: either way
// there is no picture, and the answer needs no decode.
std::optional<PictureIdentity> identifyPicture(const puzzle::ImageSource& source);

// How a picture is laid out in its surface.
enum class SurfaceLayout : std::uint8_t {
    Frame,  // a preview frame of exactly `size`: white, the picture placed by previewGeometry
    Fitted, // the picture alone, as large as fits inside `size` with its aspect kept
};

struct SurfaceShape {
    SurfaceLayout layout = SurfaceLayout::Frame;
    QSize size;

    bool operator==(const SurfaceShape&) const = default;
};

struct SurfaceKey {
    PictureIdentity picture;
    SurfaceShape shape;

    bool operator==(const SurfaceKey&) const = default;
};

size_t qHash(const SurfaceKey& key, size_t seed = 0);

struct PictureSurface {
    QImage image;     // laid out as asked; null when there is no picture
    QSize storedSize; // the picture's own pixel size; 0 x 0 for no picture

    bool hasPicture() const { return !image.isNull() && !storedSize.isEmpty(); }
};

// The size of a stored w x h picture fitted inside `bounds`, enlarged or reduced, at least
// 1 x 1; 0 x 0 when either has no area.
QSize fittedSize(QSize stored, QSize bounds);

// Least recently used surfaces go first once their pixels pass the cap. Knowing that a
// picture is no picture is kept too, at a small cost, so a broken file is not read again
// on every visit. GUI thread only.
class PictureCache {
  public:
    static constexpr qsizetype kDefaultCapBytes = qsizetype(64) << 20;

    explicit PictureCache(qsizetype capBytes = kDefaultCapBytes);

    // Counts as a use.
    std::optional<PictureSurface> find(const SurfaceKey& key);
    // A surface larger than the whole cap is not kept.
    void insert(const SurfaceKey& key, const PictureSurface& surface);
    void clear() { cache_.clear(); }

  private:
    QCache<SurfaceKey, PictureSurface> cache_;
};

} // namespace pdt::preview
