#pragma once
// The puzzle data file (".ADX"): a 20-byte header, then for every pattern its record,
// bitwise inverted, followed by the plain bytes of its puzzle and finished pictures.
// All integers are little-endian.

#include "puzzle/record.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace pdt::puzzle {

inline constexpr std::size_t kHeaderSize = 20;
inline constexpr std::size_t kRecordSize = 1154;
inline constexpr std::size_t kPasswordFieldSize = kMaxPasswordBytes;

// Header layout.
inline constexpr std::size_t kMagicOffset = 0;
inline constexpr std::size_t kCountOffset = 3;
inline constexpr std::size_t kPasswordOffset = 4;

// Record layout, positions inside the 1154-byte record.
namespace field {
inline constexpr std::size_t recordSize = 0;
inline constexpr std::size_t vendorInfo = 4;
inline constexpr std::size_t puzzleImagePath = 5;
inline constexpr std::size_t finishedImagePath = 261;
inline constexpr std::size_t recordOffset = 517;
inline constexpr std::size_t puzzleImageOffset = 521;
inline constexpr std::size_t finishedImageOffset = 525;
inline constexpr std::size_t puzzleImageSize = 529;
inline constexpr std::size_t finishedImageSize = 533;
inline constexpr std::size_t pieceCount = 537;
inline constexpr std::size_t auxWord = 539;
inline constexpr std::size_t rotation = 541;
inline constexpr std::size_t clearComment = 542;
inline constexpr std::size_t finishComment = 798;
inline constexpr std::size_t reservedTail = 1054;
} // namespace field

static_assert(field::reservedTail + kReservedTailSize == kRecordSize);
static_assert(kPasswordOffset + kPasswordFieldSize == kHeaderSize);

using HeaderBytes = std::array<std::uint8_t, kHeaderSize>;
using RecordBytes = std::array<std::uint8_t, kRecordSize>;

// b -> ~b for every byte; its own inverse.
void InvertBytes(std::span<std::uint8_t> bytes);

// "ADX", the count byte, the password (code page 932, at most 16 bytes; longer input is
// cut) padded with spaces to 16 and inverted.
HeaderBytes EncodeHeader(int patternCount, std::string_view password);

struct DecodedHeader {
    bool isPuzzleDataFile = false; // the first three bytes are "ADX", upper case
    std::uint8_t countByte = 0;    // as stored; readers do not rely on it
    std::string password;          // before the first space or NUL; empty for none
};

DecodedHeader DecodeHeader(std::span<const std::uint8_t, kHeaderSize> bytes);

RecordBytes EncodeRecord(const PatternRecord& record);
PatternRecord DecodeRecord(std::span<const std::uint8_t, kRecordSize> bytes);

// True when the record's stored offset plus the record and both pictures reaches the
// end of the file (sum taken in unsigned 32-bit arithmetic, as the format always has).
bool IsLastRecord(const PatternRecord& record, std::uint64_t fileLength);

} // namespace pdt::puzzle
