#pragma once
// Whether a picture decodes in full, as the previews would decode it: for refusing, when
// a picture is attached or a file is verified, what the preview cannot show whole.
// Safe to call from several threads at once.

#include "preview/picture_decoder.h"
#include "puzzle/byte_source.h"

#include <cstdint>
#include <string>

namespace pdt::preview {

struct [[nodiscard]] PictureCheck {
    PictureProblem problem = PictureProblem::None; // None: it decodes cleanly
    bool decodes = false; // pixels came out, also when the decoder complained meanwhile
    int width = 0;        // the stored pixel size, once the header could be read
    int height = 0;
    // The decoder's first complaint, for a picture it decoded all the same (a JPEG cut
    // short decodes with its missing part grey); empty for a clean decode. Such a picture
    // has problem Damaged.
    std::string complaint;

    bool ok() const { return problem == PictureProblem::None; }
};

// Decodes the picture through decodePictureFile / decodePictureRange at a reduced size
// where the format allows it, and throws the pixels away. What Qt's readers say
// meanwhile on this thread is collected, not logged. The collecting message handler is
// installed at the first check and passes every other message on to the handler that was
// there before; a program that installs a handler of its own does so before that.
PictureCheck checkPictureFile(const std::string& path);
PictureCheck checkPictureRange(puzzle::ByteSource& source, std::int64_t offset, std::int64_t size);

// A short English reason for a problem, for adxtool: "not a regular file", ...
const char* describeProblem(PictureProblem problem);

} // namespace pdt::preview
