#include "puzzle/format.h"
#include "support/bytes.h"

#include <gtest/gtest.h>

using namespace pdt::puzzle;
using namespace pdt::test;

TEST(Format, HeaderBytes) {
    const auto h = EncodeHeader(3, "");
    EXPECT_EQ(hex(h), "41 44 58 03 DF DF DF DF DF DF DF DF DF DF DF DF DF DF DF DF");
    EXPECT_EQ(EncodeHeader(200, "")[3], 0xC8);
    EXPECT_TRUE(DecodeHeader(h).isPuzzleDataFile); // other magic bytes: open_test.cpp
    EXPECT_EQ(DecodeHeader(h).countByte, 3);

    // Sixteen bytes fill the field; shorter passwords are padded with spaces, and on reading
    // a space or a NUL (files from other writers) ends the password.
    const auto full = EncodeHeader(1, "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(hex(std::span(full).subspan(4)), "BE BD BC BB BA B9 B8 B7 B6 B5 B4 B3 B2 B1 B0 AF");
    const auto ab = EncodeHeader(1, "ab");
    EXPECT_EQ(hex(std::span(ab).subspan(4, 3)), "9E 9D DF");
    const std::pair<std::string, std::string> passwords[] = {
        {"", ""},
        {"ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMNOP"},
        {"ab cd", "ab"},
        {"\x90\x56\x8B\x4B", "\x90\x56\x8B\x4B"}};
    for (const auto& [stored, read] : passwords)
        EXPECT_EQ(DecodeHeader(EncodeHeader(1, stored)).password, read) << stored;
    HeaderBytes withNul = EncodeHeader(1, "abc");
    withNul[5] = 0xFF; // inverted 0x00
    EXPECT_EQ(DecodeHeader(withNul).password, "a");
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

    RecordBytes b = EncodeRecord(r);
    EXPECT_EQ(hex(std::span(b).first(4)), "7D FB FF FF");
    EXPECT_EQ(DecodeRecord(b), r);
    InvertBytes(b);
    const std::pair<size_t, const char*> fields[] = {
        {4, "01"},
        {5, "43 3A 5C 70 2E 6A 70 67 00"},
        {261, "46 00"},
        {517, "14 00 00 00"},
        {521, "96 04 00 00"},
        {525, "7E 08 00 00"},
        {529, "E8 03 00 00"},
        {533, "D0 07 00 00"},
        {537, "00 03"},
        {539, "64 00"},
        {541, "01"},
        {542, "83 73 00"},
        {798, "78"},
        {1053, "78 00"}, // a 256-byte comment has no terminator
        {1153, "12"},
    };
    for (const auto& [pos, expected] : fields) {
        const size_t n = (std::string_view(expected).size() + 1) / 3;
        EXPECT_EQ(hex(std::span(b).subspan(pos, n)), expected) << "at " << pos;
    }

    // Negative values and bytes after a terminator (as a cleared slot leaves them) travel
    // as the table holds them.
    PatternRecord odd;
    odd.pieceCount = -1;
    odd.recordOffset = -5;
    setFieldText(odd.clearComment, "long comment");
    odd.clearComment[0] = '\0';
    EXPECT_EQ(DecodeRecord(EncodeRecord(odd)), odd);
}
