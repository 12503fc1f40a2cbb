#include "puzzle/record.h"

#include <algorithm>

namespace pdt::puzzle {

TextField& slotPath(PatternRecord& r, int slot) {
    return slot == kPuzzleSlot ? r.puzzleImagePath : r.finishedImagePath;
}
const TextField& slotPath(const PatternRecord& r, int slot) {
    return slot == kPuzzleSlot ? r.puzzleImagePath : r.finishedImagePath;
}
std::int32_t& slotOffset(PatternRecord& r, int slot) {
    return slot == kPuzzleSlot ? r.puzzleImageOffset : r.finishedImageOffset;
}
std::int32_t slotOffset(const PatternRecord& r, int slot) {
    return slot == kPuzzleSlot ? r.puzzleImageOffset : r.finishedImageOffset;
}
std::int32_t& slotSize(PatternRecord& r, int slot) {
    return slot == kPuzzleSlot ? r.puzzleImageSize : r.finishedImageSize;
}
std::int32_t slotSize(const PatternRecord& r, int slot) {
    return slot == kPuzzleSlot ? r.puzzleImageSize : r.finishedImageSize;
}

std::string_view fieldText(const TextField& field) {
    const std::string_view all(field.data(), field.size());
    const auto nul = all.find('\0');
    return nul == std::string_view::npos ? all : all.substr(0, nul);
}

bool setFieldText(TextField& field, std::string_view text) {
    field.fill('\0');
    const size_t n = std::min(text.size(), field.size());
    std::copy_n(text.begin(), n, field.begin());
    return text.size() <= field.size();
}

} // namespace pdt::puzzle
