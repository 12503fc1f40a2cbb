#pragma once
// Finding the records of a puzzle data file: from position 20, each record is followed
// by its pictures and then the next record, until a record whose pictures reach the end
// of the file. The walk never reads past the end of the file and never takes more than
// 200 records; damage ends it and is reported, with the records read soundly kept.

#include "puzzle/byte_source.h"
#include "puzzle/format.h"
#include "puzzle/record.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pdt::puzzle {

enum class Damage {
    None,
    NotPuzzleData,   // the first three bytes are not "ADX"
    TruncatedHeader, // shorter than the 20-byte header
    TruncatedRecord, // the file ends inside a record
    PicturesPastEnd, // a record's pictures run past the end of the file (or a size is negative)
    TrailingBytes,   // bytes follow the pictures of the last record
    TooManyRecords,  // the chain goes on after 200 records
    ReadError,       // the file could not be read
};

struct [[nodiscard]] WalkResult {
    DecodedHeader header;
    std::vector<PatternRecord> records; // the records read soundly, in file order
    Damage damage = Damage::None;
    std::uint64_t fileLength = 0;
    std::uint64_t damageOffset = 0; // where the damage was met
    int damagePattern = 0;          // one-based number of the pattern it concerns

    bool sound() const { return damage == Damage::None; }
};

WalkResult WalkRecords(ByteSource& source);

// One line saying what is wrong, for the editor (Japanese) and for adxtool (English).
std::string DescribeDamage(const WalkResult& walk);
std::string DescribeDamageEnglish(const WalkResult& walk);

} // namespace pdt::puzzle
