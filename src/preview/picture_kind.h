#pragma once
// What kind of picture the decoder cannot read, named from the bytes alone, so that a
// refusal says what the picture is and why it cannot be used: a JPEG of a kind libjpeg does
// not decode, a BMP whose compression or header version Qt's reader does not know, a GIF
// with a side of zero, or a picture in a format the player does not read at all.

#include "puzzle/byte_source.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pdt::preview {

enum class UnreadableKind {
    None,             // nothing more is known than that it gives no picture
    JpegPrecision,    // samples of more than 8 bits (detail: the bits)
    JpegLossless,     // the lossless process
    JpegHierarchical, // a hierarchical (differential) process
    BmpWithJpeg,      // a BMP whose pixels are a JPEG
    BmpWithPng,       // a BMP whose pixels are a PNG
    BmpHeaderVersion, // a BMP header of a size the reader does not know (detail: its bytes)
    GifZeroSide,      // a GIF whose width or height is 0
    OtherFormat,      // a picture in a format the player does not read (format: its name)
};

struct UnreadableReason {
    UnreadableKind kind = UnreadableKind::None;
    int detail = 0;
    std::string format = {}; // OtherFormat: "PNG", "WebP", "TIFF"

    bool operator==(const UnreadableReason&) const = default;
};

// A format Qt's installed image plugins read and the player does not, which a picture can
// be converted from: its name as people write it, Qt's name, its file name patterns.
struct OtherFormat {
    std::string name;
    std::string qtFormat;
    std::vector<std::string> patterns; // "*.tif", "*.tiff"
};

// PNG, WebP and TIFF, those whose reader is installed, in that order.
[[nodiscard]] const std::vector<OtherFormat>& convertibleFormats();

// Why size bytes of source from offset give no picture, where the bytes tell.
[[nodiscard]] UnreadableReason unreadableReason(puzzle::ByteSource& source, std::int64_t offset,
                                                std::int64_t size);

// "a 12-bit JPEG, which the decoder does not read", for adxtool; empty for None.
[[nodiscard]] std::string describeUnreadable(const UnreadableReason& reason);

} // namespace pdt::preview
