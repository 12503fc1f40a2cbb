#include "puzzle/format.h"
#include "support/bytes.h"

#include <gtest/gtest.h>

using namespace pdt::puzzle;
using namespace pdt::test;

TEST(Format, InvertBytesIsItsOwnInverse) {
    Bytes b = {0x00, 0xFF, 0x41, 0x7D};
    InvertBytes(b);
    EXPECT_EQ(hex(b), "FF 00 BE 82");
    InvertBytes(b);
    EXPECT_EQ(hex(b), "00 FF 41 7D");
}

TEST(Format, HeaderOfThreePatternsWithoutPassword) {
    const auto h = EncodeHeader(3, "");
    EXPECT_EQ(hex(h), "41 44 58 03 DF DF DF DF DF DF DF DF DF DF DF DF DF DF DF DF");
    EXPECT_EQ(EncodeHeader(200, "")[3], 0xC8);
    const auto d = DecodeHeader(h);
    EXPECT_TRUE(d.isPuzzleDataFile);
    EXPECT_EQ(d.countByte, 3);
    EXPECT_EQ(d.password, "");
}

TEST(Format, PasswordsInTheHeader) {
    // Sixteen bytes fill the field without a space and come back whole.
    const auto full = EncodeHeader(1, "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(full[4], std::uint8_t(~'A'));
    EXPECT_EQ(full[19], std::uint8_t(~'P'));
    EXPECT_EQ(DecodeHeader(full).password, "ABCDEFGHIJKLMNOP");

    // Short passwords are padded with inverted spaces.
    const auto pw = EncodeHeader(1, "ab");
    EXPECT_EQ(hex(std::span(pw).subspan(4, 3)), "9E 9D DF");
    EXPECT_EQ(DecodeHeader(pw).password, "ab");

    // A space ends the password on reading; a leading one leaves none.
    EXPECT_EQ(DecodeHeader(EncodeHeader(1, "ab cd")).password, "ab");
    EXPECT_EQ(DecodeHeader(EncodeHeader(1, " abc")).password, "");

    // Code page 932 bytes travel unchanged.
    EXPECT_EQ(DecodeHeader(EncodeHeader(1, "\x90\x56\x8B\x4B")).password, "\x90\x56\x8B\x4B");

    // A NUL inside the field also ends it (files from other writers).
    HeaderBytes withNul = EncodeHeader(1, "abc");
    withNul[5] = 0xFF; // inverted 0x00
    EXPECT_EQ(DecodeHeader(withNul).password, "a");
}

TEST(Format, OnlyUpperCaseMagicIsAPuzzleDataFile) {
    HeaderBytes h = EncodeHeader(1, "");
    h[0] = 'a';
    h[1] = 'd';
    h[2] = 'x';
    EXPECT_FALSE(DecodeHeader(h).isPuzzleDataFile);
    h[0] = 'A';
    h[1] = 'D';
    h[2] = 'Y';
    EXPECT_FALSE(DecodeHeader(h).isPuzzleDataFile);
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
}

TEST(Format, ZeroFieldsReadFFAndNegativeValuesSurvive) {
    PatternRecord r;
    r.pieceCount = -1;
    r.recordOffset = -5;
    const RecordBytes b = EncodeRecord(r);
    EXPECT_EQ(b[0], 0xFF);
    EXPECT_EQ(b[1153], 0xFF);
    const PatternRecord back = DecodeRecord(b);
    EXPECT_EQ(back.pieceCount, -1);
    EXPECT_EQ(back.recordOffset, -5);
}

TEST(Format, BytesAfterATerminatorTravelAsTheTableHoldsThem) {
    PatternRecord r;
    setFieldText(r.clearComment, "long comment");
    r.clearComment[0] = '\0'; // as a cleared slot leaves it
    const PatternRecord back = DecodeRecord(EncodeRecord(r));
    EXPECT_EQ(fieldText(back.clearComment), "");
    EXPECT_EQ(back.clearComment[1], 'o');
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

TEST(Format, OnePatternFileOf4174Bytes) {
    PatternSpec p{{}, pictureBytes(1000, 1), pictureBytes(2000, 2)};
    const Bytes file = buildFile({p});
    ASSERT_EQ(file.size(), 4174u);
    EXPECT_EQ(hex(std::span(file).first(4)), "41 44 58 01");
    EXPECT_EQ(hex(std::span(file).subspan(20, 4)), "7D FB FF FF");
    EXPECT_EQ(storedField(file, 20, field::recordOffset), 20);
    EXPECT_EQ(storedField(file, 20, field::puzzleImageOffset), 1174);
    EXPECT_EQ(storedField(file, 20, field::finishedImageOffset), 2174);
    EXPECT_EQ(file[1174], p.puzzle[0]);
    EXPECT_EQ(file[2174], p.finished[0]);
}
