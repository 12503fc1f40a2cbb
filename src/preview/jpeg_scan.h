#pragma once
// Every warning libjpeg-turbo gives while it decodes a JPEG, by kind. Qt's JPEG reader logs
// only the first warning of a decode, so a harmless one (stray bytes between segments) would
// hide the damage after it; this decode hears them all. It decodes at 1/8 scale with the
// fast DCT and throws the pixels away: entropy decoding, where the damage shows, runs whole.
//
// Built only where libjpeg-turbo's headers are found (PDT_HAVE_LIBJPEG); elsewhere Qt's one
// message is classified instead.

#include "preview/decoder_warnings.h"
#include "puzzle/byte_source.h"

#include <cstdint>

namespace pdt::preview {

struct [[nodiscard]] JpegScan {
    bool available = false; // false when built without libjpeg-turbo
    bool decoded = false;   // every row came out (the data may still have been made up)
    DecoderWarnings warnings;
};

// size bytes of source from offset, which the caller has checked lie inside it. Call only
// for a JPEG that Qt's reader decoded within the memory budget: this decode needs no more.
JpegScan scanJpeg(puzzle::ByteSource& source, std::int64_t offset, std::int64_t size);

} // namespace pdt::preview
