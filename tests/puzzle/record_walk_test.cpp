#include "puzzle/record_walk.h"
#include "support/bytes.h"

#include <gtest/gtest.h>

using namespace pdt::puzzle;
using namespace pdt::test;

namespace {

Bytes withTail(Bytes b, const Bytes& tail) {
    b.insert(b.end(), tail.begin(), tail.end());
    return b;
}

Bytes withCountByte(Bytes b, std::uint8_t count) {
    b[3] = count;
    return b;
}

const Bytes kTwo = buildFile({patternWith(100, 50), patternWith(30, 20)});
const size_t kSecond = 20 + 1154 + 150;

Bytes chainOf(size_t n) {
    return buildFile(std::vector<PatternSpec>(n, patternWith(1, 0)));
}

} // namespace

struct WalkCase {
    const char* name;
    Bytes file;
    Damage damage;
    size_t recordsKept;
    friend void PrintTo(const WalkCase& c, std::ostream* os) { *os << c.name; }
};

class RecordWalkCases : public testing::TestWithParam<WalkCase> {};

// The walk never leaves the file and keeps the records read soundly before any damage.
// Files without a sound record (a first record or its pictures cut) are checked with their
// messages in open_test.cpp.
TEST_P(RecordWalkCases, KeepsTheSoundRecords) {
    const WalkCase& c = GetParam();
    MemoryByteSource file(c.file);
    const WalkResult w = WalkRecords(file);
    EXPECT_EQ(w.damage, c.damage) << DescribeDamageEnglish(w);
    EXPECT_EQ(w.records.size(), c.recordsKept);
    EXPECT_EQ(DescribeDamage(w).empty(), c.damage == Damage::None);
    EXPECT_EQ(DescribeDamageEnglish(w).empty(), c.damage == Damage::None);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, RecordWalkCases,
    testing::Values(
        WalkCase{"ThreePatterns",
                 buildFile({patternWith(1000, 2000), patternWith(0, 10), patternWith(7, 0)}),
                 Damage::None, 3},
        WalkCase{"TwoHundredPatterns", chainOf(200), Damage::None, 200},
        // The count byte is not trusted: the records are those the walk finds.
        WalkCase{"CountByteTooLow", withCountByte(kTwo, 1), Damage::None, 2},
        WalkCase{"SecondRecordCut", firstBytes(kTwo, kSecond + 10), Damage::TruncatedRecord, 1},
        WalkCase{"LastPicturesCut", firstBytes(kTwo, kTwo.size() - 1), Damage::PicturesPastEnd, 1},
        WalkCase{"NegativeSize", withStoredField(kTwo, kSecond, 533, -100), Damage::PicturesPastEnd,
                 1},
        // Two sizes whose 32-bit sum wraps to something small must not look like a short hop.
        WalkCase{"SizesWrappingPast2To32",
                 withStoredField(withStoredField(kTwo, 20, 529, 0x7FFFFFFF), 20, 533, 0x7FFFFFFF),
                 Damage::PicturesPastEnd, 0},
        WalkCase{"StrayBytesAfterTheLastPicture", withTail(kTwo, bytesOf("junk")),
                 Damage::TrailingBytes, 2},
        WalkCase{"StoredOffsetCallsItLastTooEarly",
                 withTail(withStoredField(kTwo, kSecond, 517, 0x7FFF0000), pictureBytes(2000)),
                 Damage::TrailingBytes, 2},
        WalkCase{"MoreThan200Records", chainOf(201), Damage::TooManyRecords, 200}),
    [](const testing::TestParamInfo<WalkCase>& info) { return info.param.name; });
