#pragma once
// One pattern of a puzzle set, as the editor holds it and as the file stores it (see
// format.h for the byte positions). Text fields hold code page 932 bytes.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace pdt::puzzle {

// The text fields (paths and comments) of a record and the password of a file, in code page
// 932 bytes.
inline constexpr int kTextFieldSize = 256;
inline constexpr int kMaxPasswordBytes = 16;
inline constexpr int kReservedTailSize = 100;

using TextField = std::array<char, kTextFieldSize>;

struct PatternRecord {
    std::int32_t recordSize = 0;
    std::uint8_t vendorInfo = 0;
    TextField puzzleImagePath{};
    TextField finishedImagePath{};
    std::int32_t recordOffset = 0;
    std::int32_t puzzleImageOffset = 0;
    std::int32_t finishedImageOffset = 0;
    std::int32_t puzzleImageSize = 0;
    std::int32_t finishedImageSize = 0;
    std::int16_t pieceCount = 0;
    std::int16_t auxWord = 0;
    std::uint8_t rotation = 0;
    TextField clearComment{};
    TextField finishComment{};
    std::array<std::uint8_t, kReservedTailSize> reservedTail{};

    // Not part of the stored record: the native path of the picture file a slot was
    // attached from (the path fields above hold its code page 932 form, which only
    // records where it came from). Empty for pictures read from a puzzle data file.
    std::array<std::string, 2> sourceFiles;

    bool operator==(const PatternRecord&) const = default;
};

// Image slots: 0 is the puzzle picture, 1 the finished picture.
inline constexpr int kPuzzleSlot = 0;
inline constexpr int kFinishedSlot = 1;

TextField& slotPath(PatternRecord& r, int slot);
const TextField& slotPath(const PatternRecord& r, int slot);
std::int32_t& slotOffset(PatternRecord& r, int slot);
std::int32_t slotOffset(const PatternRecord& r, int slot);
std::int32_t& slotSize(PatternRecord& r, int slot);
std::int32_t slotSize(const PatternRecord& r, int slot);

// The text of a field: its bytes up to the first NUL, or all 256.
std::string_view fieldText(const TextField& field);

// Stores text into a field: at most 256 bytes, NUL-terminated when shorter, the rest of
// the field zero. Returns false (and stores the first 256 bytes) when the text is longer.
bool setFieldText(TextField& field, std::string_view text);

} // namespace pdt::puzzle
