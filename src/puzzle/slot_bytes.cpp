#include "puzzle/slot_bytes.h"

namespace pdt::puzzle {

std::optional<SlotBytes> OpenSlotBytes(const ImageSource& source) {
    if (source.kind == ImageSource::Kind::Empty)
        return std::nullopt;
    auto file = FileByteSource::open(source.file);
    if (!file)
        return std::nullopt;
    if (source.kind == ImageSource::Kind::CurrentFileRange)
        return SlotBytes{std::move(file), source.offset, source.size};
    const auto whole = std::int64_t(file->size());
    return SlotBytes{std::move(file), 0, whole};
}

} // namespace pdt::puzzle
