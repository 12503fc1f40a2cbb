#pragma once
// The orientation tag of a JPEG's EXIF data: how the picture is to be turned or mirrored to
// be seen as taken. The player shows pictures as stored, so a phone photo taken upright and
// tagged 6 lies on its side there. Found by following the segments before the first scan
// and the first directory of the EXIF data, without decoding anything.

#include "preview/jpeg_layout.h"

#include <cstdint>

namespace pdt::preview {

struct ExifOrientation {
    int value = 1;          // 1 ("normal") to 8; 1 also when there is no tag
    std::int64_t at = -1;   // where the tag's 16-bit value lies in the JPEG; -1 without a tag
    bool bigEndian = false; // how that value is stored
};

[[nodiscard]] ExifOrientation readExifOrientation(const JpegPeek& peek);

} // namespace pdt::preview
