#pragma once
// Pictures the player cannot use as they are, made usable: a picture in a format it does
// not read (PNG, WebP, TIFF) converted to a JPEG, and a photo whose EXIF orientation is not
// "normal" (the player would show it on its side) stored upright. The editor and adxtool
// pack call the same functions, and the same picture always gives the same bytes, so a
// packed file stays reproducible.

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

// The JPEG at `source` turned or mirrored as its orientation tag says, at `target`, which
// must not exist yet, the tag reset to "normal": without loss where the turn moves only
// whole blocks (libjpeg-turbo's lossless transform, where it is built in), else decoded,
// turned and encoded again as convertToJpeg does.
Conversion storeUpright(const std::string& source, const std::string& target);

} // namespace pdt::preview
