#pragma once
// What a JPEG's segments before its first scan say about the picture: the frame's kind,
// size, sample precision and components, and the first scan's components. Read from the
// bytes alone, as far as they can be followed, for the decode budget and for naming the
// JPEGs the decoder does not read.

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace pdt::preview {

struct JpegLayout {
    struct Component {
        int h, v; // sampling factors
    };
    int frame = 0;     // the marker of the frame header (0xC0..0xCF); 0 when none was found
    int precision = 0; // bits a sample
    int width = 0, height = 0;
    std::vector<Component> components;
    int scanComponents = 0;      // of the first scan; 0 when it was not reached
    std::int64_t exifAt = -1;    // the first APP1 segment holding EXIF data: its body's offset
    std::int64_t exifLength = 0; // and length
};

// Reads out.size() bytes at `at` from the start of the JPEG; false when they are not there.
using JpegPeek = std::function<bool(std::int64_t at, std::span<std::uint8_t> out)>;

// Follows the segments from the start-of-image marker up to the first scan. Bytes between
// segments are stepped over, as libjpeg does.
[[nodiscard]] JpegLayout readJpegLayout(const JpegPeek& peek);

} // namespace pdt::preview
