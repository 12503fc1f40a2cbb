#pragma once
// Pixels that Qt's BMP and GIF readers make up without a word: a palette index past the end
// of the palette, rows the data does not reach. They show in the picture as the reader gave
// it and in the layout of the data, read without decoding it again.

#include "preview/decoder_warnings.h"
#include "puzzle/byte_source.h"

#include <QImage>

#include <cstdint>
#include <optional>
#include <string>

namespace pdt::preview {

// In the pixels as the reader gave them, at their stored size: an indexed picture with an
// index its palette lacks; a GIF without transparency where the reader wrote no pixel (it
// starts from zero, and writes opaque colours) or wrote the transparent colour it gives an
// index past the palette.
[[nodiscard]] std::optional<DecoderWarning> madeUpInPixels(const std::string& format,
                                                           const QImage& asRead);

// In a BMP's data, size bytes of source from offset: rows stored plainly that the data is
// too short for, or compressed rows that leave pixels out (the data ends, an early
// end-of-picture code, a jump over pixels). Nothing for any other picture.
[[nodiscard]] std::optional<DecoderWarning> madeUpInBmpData(puzzle::ByteSource& source,
                                                            std::int64_t offset, std::int64_t size);

} // namespace pdt::preview
