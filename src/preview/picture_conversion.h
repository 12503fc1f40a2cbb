#pragma once
// Pictures the player cannot use as they are, made usable: a picture in a format it does
// not read (PNG, WebP, TIFF) converted to a JPEG. The editor and adxtool pack call the same
// function, and the same picture always gives the same bytes, so a packed file stays
// reproducible.

#include <string>

namespace pdt::preview {

struct [[nodiscard]] Conversion {
    bool done = false;
    std::string failure; // why not, in English: "cannot be read", "too large to convert"
};

// The picture at `source` (a native path), in any format Qt's installed readers know, as a
// baseline JPEG of quality 90 at `target`, which must not exist yet: at the same pixel size,
// turned as its own orientation tag says, transparency composited on white, an embedded
// colour profile converted to sRGB, and nothing else of its metadata. Nothing is left at
// `target` when it fails.
Conversion convertToJpeg(const std::string& source, const std::string& target);

} // namespace pdt::preview
