#include "puzzle/format.h"
#include "support/bytes.h"

#include <gtest/gtest.h>

using namespace pdt::puzzle;
using namespace pdt::test;

TEST(Format, HeaderBytes) {
    const auto h = EncodeHeader(3, "");
    EXPECT_EQ(hex(h), "41 44 58 03 DF DF DF DF DF DF DF DF DF DF DF DF DF DF DF DF");
    EXPECT_EQ(EncodeHeader(200, "")[3], 0xC8);
    const auto d = DecodeHeader(h);
    EXPECT_TRUE(d.isPuzzleDataFile);
    EXPECT_EQ(d.countByte, 3);
    EXPECT_EQ(d.password, "");

    // Sixteen bytes fill the field without a space; shorter ones are padded with spaces.
    const auto full = EncodeHeader(1, "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(hex(std::span(full).subspan(4)), "BE BD BC BB BA B9 B8 B7 B6 B5 B4 B3 B2 B1 B0 AF");
    EXPECT_EQ(DecodeHeader(full).password, "ABCDEFGHIJKLMNOP");
    const auto pw = EncodeHeader(1, "ab");
    EXPECT_EQ(hex(std::span(pw).subspan(4, 3)), "9E 9D DF");
    EXPECT_EQ(DecodeHeader(pw).password, "ab");

    // On reading a space or a NUL (files from other writers) ends the password.
    const std::pair<std::string, std::string> passwords[] = {
        {"ab cd", "ab"}, {" abc", ""}, {"\x90\x56\x8B\x4B", "\x90\x56\x8B\x4B"}};
    for (const auto& [stored, read] : passwords)
        EXPECT_EQ(DecodeHeader(EncodeHeader(1, stored)).password, read) << stored;
    HeaderBytes withNul = EncodeHeader(1, "abc");
    withNul[5] = 0xFF; // inverted 0x00
    EXPECT_EQ(DecodeHeader(withNul).password, "a");

    for (const char* magic : {"adx", "ADY"}) {
        HeaderBytes other = EncodeHeader(1, "");
        std::copy_n(magic, 3, other.begin());
        EXPECT_FALSE(DecodeHeader(other).isPuzzleDataFile) << magic;
    }
}

TEST(Format, RecordFieldsAtTheirBytePositionsInverted) {
    PatternRecord r;
    r.recordSize = 1154;
    r.vendorInfo = 1;
    setFieldText(r.puzzleImagePath, "C:\\p.jpg");
    setFieldText(r.finishedImagePath, "F");
    r.recordOffset = 20;
    r.puzzleImageOffset = 1174;
    r.finishedImageOffset = 2174;
    r.puzzleImageSize = 1000;
    r.finishedImageSize = 2000;
    r.pieceCount = 768;
    r.auxWord = 100;
    r.rotation = 1;
    setFieldText(r.clearComment, "\x83\x73");
    setFieldText(r.finishComment, std::string(256, 'x'));
    r.reservedTail[99] = 0x12;

    const RecordBytes b = EncodeRecord(r);
    auto plain = [&](size_t pos, size_t n) {
        Bytes out(b.begin() + std::ptrdiff_t(pos), b.begin() + std::ptrdiff_t(pos + n));
        for (auto& x : out)
            x = std::uint8_t(~x);
        return hex(out);
    };
    EXPECT_EQ(hex(std::span(b).first(4)), "7D FB FF FF");
    EXPECT_EQ(plain(4, 1), "01");
    EXPECT_EQ(plain(5, 9), "43 3A 5C 70 2E 6A 70 67 00");
    EXPECT_EQ(plain(261, 2), "46 00");
    EXPECT_EQ(hex(std::span(b).subspan(517, 4)), "EB FF FF FF");
    EXPECT_EQ(plain(521, 4), "96 04 00 00");
    EXPECT_EQ(plain(525, 4), "7E 08 00 00");
    EXPECT_EQ(plain(529, 4), "E8 03 00 00");
    EXPECT_EQ(plain(533, 4), "D0 07 00 00");
    EXPECT_EQ(plain(537, 2), "00 03");
    EXPECT_EQ(plain(539, 2), "64 00");
    EXPECT_EQ(plain(541, 1), "01");
    EXPECT_EQ(plain(542, 3), "83 73 00");
    EXPECT_EQ(plain(798, 1), "78");
    EXPECT_EQ(plain(1053, 1), "78"); // a 256-byte comment has no terminator
    EXPECT_EQ(plain(1054, 1), "00");
    EXPECT_EQ(plain(1153, 1), "12");
    EXPECT_EQ(DecodeRecord(b), r);

    // Zero fields read FF; negative values and bytes after a terminator (as a cleared
    // slot leaves them) travel as the table holds them.
    PatternRecord odd;
    odd.pieceCount = -1;
    odd.recordOffset = -5;
    setFieldText(odd.clearComment, "long comment");
    odd.clearComment[0] = '\0';
    const RecordBytes o = EncodeRecord(odd);
    EXPECT_EQ(o[0], 0xFF);
    EXPECT_EQ(o[1153], 0xFF);
    EXPECT_EQ(DecodeRecord(o), odd);
}

TEST(Format, IsLastRecordUsesTheStoredOffsetInUnsigned32BitArithmetic) {
    PatternRecord r;
    r.recordOffset = 20;
    r.puzzleImageSize = 1000;
    r.finishedImageSize = 2000;
    EXPECT_TRUE(IsLastRecord(r, 4174));
    EXPECT_TRUE(IsLastRecord(r, 4000));
    EXPECT_FALSE(IsLastRecord(r, 4175));
    // A negative size makes the unsigned sum wrap past 2^32 to a small number.
    r.puzzleImageSize = -1200;
    EXPECT_FALSE(IsLastRecord(r, 4174));
    r.recordOffset = -1; // 0xFFFFFFFF
    r.puzzleImageSize = 0;
    r.finishedImageSize = 0;
    EXPECT_FALSE(IsLastRecord(r, 2000)); // wraps to 1153
}
