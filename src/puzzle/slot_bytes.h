#pragma once
// The one way from where a slot's picture is to its bytes: the file that holds them,
// opened, and the range of it the picture takes.

#include "puzzle/byte_source.h"
#include "puzzle/document.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace pdt::puzzle {

struct SlotBytes {
    std::unique_ptr<FileByteSource> file;
    std::int64_t offset = 0; // 0 for a picture file of its own
    std::int64_t size = 0;   // the range the record names, or the whole picture file as it
                             // is now
};

// Nothing for a slot without a picture, or when the file that holds it cannot be opened
// (FileByteSource::open's rules: no folder, FIFO or device, never blocking).
std::optional<SlotBytes> OpenSlotBytes(const ImageSource& source);

} // namespace pdt::puzzle
