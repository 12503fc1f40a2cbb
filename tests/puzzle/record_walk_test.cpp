#include "puzzle/record_walk.h"
#include "support/bytes.h"

#include <gtest/gtest.h>

using namespace pdt::puzzle;
using namespace pdt::test;

namespace {

WalkResult walk(const Bytes& file) {
    MemoryByteSource src(file);
    return WalkRecords(src);
}

PatternSpec pattern(size_t puzzle, size_t finished, std::int16_t pieces = 0) {
    PatternSpec p{{}, pictureBytes(puzzle, 3), pictureBytes(finished, 5)};
    p.record.pieceCount = pieces;
    return p;
}

} // namespace

TEST(RecordWalk, FindsEveryRecordOfAWellFormedFile) {
    const Bytes file = buildFile({pattern(1000, 2000, 6), pattern(0, 10, 12), pattern(7, 0, 15)},
                                 "pw", 1);
    const WalkResult w = walk(file);
    EXPECT_TRUE(w.sound()) << DescribeDamageEnglish(w);
    ASSERT_EQ(w.records.size(), 3u);
    EXPECT_EQ(w.header.password, "pw");
    EXPECT_EQ(w.records[0].pieceCount, 6);
    EXPECT_EQ(w.records[1].recordOffset, 20 + 1154 + 3000);
    // Without a puzzle picture both offsets name the end of the record.
    EXPECT_EQ(w.records[1].puzzleImageOffset, w.records[1].recordOffset + 1154);
    EXPECT_EQ(w.records[1].finishedImageOffset, w.records[1].recordOffset + 1154);
    // Without a finished picture its offset names the end of the file.
    EXPECT_EQ(std::uint64_t(w.records[2].finishedImageOffset), file.size());
    EXPECT_EQ(w.records[2].vendorInfo, 1);
}

TEST(RecordWalk, TakesAs200PatternsAsTheChainHolds) {
    std::vector<PatternSpec> many(200, pattern(1, 0));
    const WalkResult w = walk(buildFile(many));
    EXPECT_TRUE(w.sound());
    EXPECT_EQ(w.records.size(), 200u);
    EXPECT_EQ(w.header.countByte, 200);
}

TEST(RecordWalk, IgnoresACountByteThatDisagrees) {
    Bytes file = buildFile({pattern(5, 5), pattern(5, 5), pattern(5, 5)});
    file[3] = 1;
    EXPECT_EQ(walk(file).records.size(), 3u);
    file[3] = 9;
    EXPECT_EQ(walk(file).records.size(), 3u);
}

TEST(RecordWalk, RefusesWhatIsNoPuzzleDataFile) {
    Bytes file = buildFile({pattern(5, 5)});
    file[0] = 'a';
    file[1] = 'd';
    file[2] = 'x';
    const WalkResult w = walk(file);
    EXPECT_EQ(w.damage, Damage::NotPuzzleData);
    EXPECT_TRUE(w.records.empty());
}

struct DamageCase {
    const char* name;
    Bytes file;
    Damage damage;
    size_t recordsKept;
    friend void PrintTo(const DamageCase& c, std::ostream* os) { *os << c.name; }
};

class RecordWalkDamage : public testing::TestWithParam<DamageCase> {};

TEST_P(RecordWalkDamage, StopsInsideTheFileAndKeepsTheSoundRecords) {
    const DamageCase& c = GetParam();
    const WalkResult w = walk(c.file);
    EXPECT_EQ(w.damage, c.damage) << DescribeDamageEnglish(w);
    EXPECT_EQ(w.records.size(), c.recordsKept);
    EXPECT_FALSE(DescribeDamage(w).empty());
    EXPECT_FALSE(DescribeDamageEnglish(w).empty());
}

namespace {

Bytes cut(Bytes b, size_t n) {
    b.resize(n);
    return b;
}

Bytes withTail(Bytes b, Bytes tail) {
    b.insert(b.end(), tail.begin(), tail.end());
    return b;
}

// Sets an int32 field of the record at recordPos, keeping the inversion.
Bytes patched(Bytes b, size_t recordPos, size_t fieldOffset, std::int32_t v) {
    for (int i = 0; i < 4; ++i)
        b[recordPos + fieldOffset + size_t(i)] = std::uint8_t(~(std::uint32_t(v) >> (8 * i)));
    return b;
}

const Bytes kTwo = buildFile({pattern(100, 50), pattern(30, 20)});
const size_t kSecond = 20 + 1154 + 150;

// A chain of 201 one-byte patterns: each record claims to be followed by more.
Bytes chainOf201() {
    std::vector<PatternSpec> many(201, pattern(1, 0));
    return buildFile(many);
}

} // namespace

INSTANTIATE_TEST_SUITE_P(
    Kinds, RecordWalkDamage,
    testing::Values(
        DamageCase{"Empty", {}, Damage::TruncatedHeader, 0},
        DamageCase{"ShorterThanHeader", cut(kTwo, 19), Damage::TruncatedHeader, 0},
        DamageCase{"HeaderOnly", cut(kTwo, 20), Damage::TruncatedRecord, 0},
        DamageCase{"HalfAFirstRecord", cut(kTwo, 600), Damage::TruncatedRecord, 0},
        DamageCase{"SecondRecordCut", cut(kTwo, kSecond + 10), Damage::TruncatedRecord, 1},
        DamageCase{"FirstPicturesCut", cut(kTwo, 20 + 1154 + 120), Damage::PicturesPastEnd, 0},
        DamageCase{"LastPicturesCut", cut(kTwo, kTwo.size() - 1), Damage::PicturesPastEnd, 1},
        DamageCase{"HugeSize", patched(kTwo, kSecond, 529, 0x7FFFFFF0), Damage::PicturesPastEnd, 1},
        DamageCase{"NegativeSize", patched(kTwo, kSecond, 533, -100), Damage::PicturesPastEnd, 1},
        DamageCase{"StrayBytesAfterTheLastPicture", withTail(kTwo, bytesOf("junk")),
                   Damage::TrailingBytes, 2},
        DamageCase{"StoredOffsetCallsItLastTooEarly",
                   withTail(patched(kTwo, kSecond, 517, 0x7FFF0000), pictureBytes(2000)),
                   Damage::TrailingBytes, 2},
        DamageCase{"MoreThan200Records", chainOf201(), Damage::TooManyRecords, 200}),
    [](const testing::TestParamInfo<DamageCase>& info) { return info.param.name; });

TEST(RecordWalk, SizesNear2To31AddUpWithoutOverflow) {
    // Two sizes whose 32-bit sum wraps to something small must not look like a short hop.
    Bytes f = patched(kTwo, 20, 529, 0x7FFFFFFF);
    f = patched(f, 20, 533, 0x7FFFFFFF);
    const WalkResult w = walk(f);
    EXPECT_EQ(w.damage, Damage::PicturesPastEnd);
    EXPECT_TRUE(w.records.empty());
}

TEST(RecordWalk, DamageDescriptionNamesThePattern) {
    const WalkResult w = walk(cut(kTwo, kTwo.size() - 1));
    EXPECT_NE(DescribeDamageEnglish(w).find("pattern 2"), std::string::npos);
    EXPECT_NE(DescribeDamage(w).find("ﾊﾟﾀｰﾝ2"), std::string::npos);
}
