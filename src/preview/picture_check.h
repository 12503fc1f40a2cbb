#pragma once
// Whether a picture may be used: it decodes in full, as the previews would decode it, and
// nothing the decoder reported meanwhile made up pixels (decoder_warnings.h has the rule).
// The editor's check before attaching, adxtool pack and adxtool verify all ask here.
// Safe to call from several threads at once.

#include "preview/decoder_warnings.h"
#include "preview/picture_decoder.h"
#include "preview/picture_kind.h"
#include "puzzle/byte_source.h"

#include <cstdint>
#include <string>

namespace pdt::preview {

struct [[nodiscard]] PictureCheck {
    PictureProblem problem = PictureProblem::None; // None: the picture may be used
    bool decodes = false; // pixels came out, also when the decoder complained meanwhile
    int width = 0;        // the stored pixel size, once the header could be read
    int height = 0;
    // What the decoder reported, harmless or not. A picture that decodes with a warning
    // that made up pixels (a JPEG cut short decodes with its missing part grey) has
    // problem Damaged.
    DecoderWarnings warnings;
    // For a picture that gives no pixels: what kind it is, where its bytes tell.
    UnreadableReason unreadable;
    // A JPEG's EXIF orientation: 1 ("normal") unless its tag says to turn or mirror it.
    int orientation = 1;

    bool ok() const { return problem == PictureProblem::None; }
};

// Decodes the picture through decodePictureRange at a reduced size where the format allows
// it, and throws the pixels away. What Qt's readers say meanwhile on this thread is
// collected, not logged; a JPEG they complained about is decoded once more by libjpeg-turbo
// itself, which tells every warning (jpeg_scan.h). The collecting message handler is
// installed at the first check and passes every other message on to the handler that was
// there before; a program that installs a handler of its own does so before that.
PictureCheck checkPictureFile(const std::string& path);
PictureCheck checkPictureRange(puzzle::ByteSource& source, std::int64_t offset, std::int64_t size);

// A short English reason for a problem, for adxtool: "not a regular file", ...
const char* describeProblem(PictureProblem problem);

} // namespace pdt::preview
