#include "preview/exif_orientation.h"

#include <array>
#include <cstring>

namespace pdt::preview {

namespace {

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kShort = 3;
// Directory entries read at most; a first directory holds a few dozen.
constexpr int kMaxEntries = 1024;

struct Tiff {
    const JpegPeek& peek;
    std::int64_t start; // the TIFF header, which offsets count from
    std::int64_t end;   // the end of the EXIF segment
    bool bigEndian;

    bool read(std::int64_t offset, int n, std::uint32_t& value) const {
        std::array<std::uint8_t, 4> b{};
        if (offset < 0 || start + offset + n > end ||
            !peek(start + offset, std::span(b.data(), size_t(n))))
            return false;
        value = 0;
        for (int i = 0; i < n; ++i)
            value |= std::uint32_t(b[size_t(bigEndian ? i : n - 1 - i)]) << (8 * (n - 1 - i));
        return true;
    }
};

} // namespace

ExifOrientation readExifOrientation(const JpegPeek& peek) {
    const JpegLayout layout = readJpegLayout(peek);
    ExifOrientation found;
    std::uint8_t order[2];
    const std::int64_t start = layout.exifAt + 6; // after "Exif\0\0"
    if (layout.exifAt < 0 || !peek(start, order) || order[0] != order[1] ||
        (order[0] != 'M' && order[0] != 'I'))
        return found;
    const Tiff tiff{peek, start, layout.exifAt + layout.exifLength, order[0] == 'M'};
    std::uint32_t magic = 0, directory = 0, entries = 0;
    if (!tiff.read(2, 2, magic) || magic != 42 || !tiff.read(4, 4, directory) ||
        !tiff.read(directory, 2, entries))
        return found;
    for (std::uint32_t i = 0; i < entries && i < kMaxEntries; ++i) {
        const std::int64_t entry = std::int64_t(directory) + 2 + 12 * std::int64_t(i);
        std::uint32_t tag = 0, type = 0, count = 0, value = 0;
        if (!tiff.read(entry, 2, tag) || !tiff.read(entry + 2, 2, type) ||
            !tiff.read(entry + 4, 4, count) || !tiff.read(entry + 8, 2, value))
            return found;
        if (tag != kOrientationTag)
            continue;
        if (type == kShort && count == 1 && value >= 1 && value <= 8)
            found = {int(value), start + entry + 8, tiff.bigEndian};
        return found;
    }
    return found;
}

} // namespace pdt::preview
