#include "support/bytes.h"
#include "text/cp932.h"

#include <gtest/gtest.h>

using pdt::test::hex;
using namespace pdt::text;

struct Vector {
    const char* utf8;
    const char* cp932Hex;
    friend void PrintTo(const Vector& v, std::ostream* os) { *os << v.utf8; }
};

class Cp932Vectors : public testing::TestWithParam<Vector> {};

TEST_P(Cp932Vectors, EncodeWithMicrosoftsMappingAndDecodeBack) {
    const auto encoded = toCp932(GetParam().utf8);
    ASSERT_TRUE(encoded.has_value());
    EXPECT_EQ(hex(*encoded), GetParam().cp932Hex);
}

INSTANTIATE_TEST_SUITE_P(
    KnownBytes, Cp932Vectors,
    testing::Values(Vector{"新規.ADX", "90 56 8B 4B 2E 41 44 58"}, Vector{"①", "87 40"},
                    Vector{"～", "81 60"}, Vector{"\\", "5C"},
                    Vector{"ﾊﾟﾀｰﾝ", "CA DF C0 B0 DD"}, Vector{"ⅰ", "FA 40"},
                    Vector{"¬", "81 CA"}, Vector{"", ""}));

TEST(Cp932, RoundTripsTheEditorsOwnTexts) {
    for (const char* s : {"新規.ADX", "①", "～", "\\", "ﾊﾟﾀｰﾝ", "ⅰ",
                          "パズルデータ作成ツール Ver2.0", "ピース回転", "連結ﾌｧｲﾙ(*.ADX)"}) {
        const auto encoded = toCp932(s);
        ASSERT_TRUE(encoded.has_value()) << s;
        EXPECT_EQ(fromCp932(*encoded), s);
    }
}

TEST(Cp932, RefusesWhatItCannotHoldInsteadOfSubstituting) {
    EXPECT_FALSE(toCp932("\xF0\x9F\x98\x80").has_value()); // U+1F600
    EXPECT_FALSE(toCp932("abc\xF0\x9F\x98\x80").has_value());
    EXPECT_FALSE(toCp932("한국어").has_value());
    EXPECT_FALSE(toCp932("\xC3").has_value()); // cut UTF-8
    EXPECT_FALSE(isCp932Encodable("é"));
    EXPECT_TRUE(isCp932Encodable("abc 日本語"));
    // A refusal leaves nothing behind for the next conversion.
    EXPECT_EQ(toCp932("新規"), std::string("\x90\x56\x8B\x4B"));
    EXPECT_EQ(fromCp932("\x81"), "\xEF\xBF\xBD");
    EXPECT_EQ(fromCp932("\x90\x56"), "新");
}

TEST(Cp932, DecodingNeverFailsAndMarksBadBytes) {
    EXPECT_EQ(fromCp932("\x81"), "\xEF\xBF\xBD");              // lead byte at the end
    EXPECT_EQ(fromCp932("A\x80" "B"), "A\xEF\xBF\xBD" "B");    // 0x80 is unassigned
    EXPECT_EQ(fromCp932("\xFF\xFF"), "\xEF\xBF\xBD\xEF\xBF\xBD");
    // A bad trail byte costs only the lead byte: the ASCII after it survives.
    EXPECT_EQ(fromCp932("\x81\x20" "x"), "\xEF\xBF\xBD x");
    EXPECT_EQ(fromCp932(std::string_view("\x90\x56\x00\x41", 4)), std::string("新\0A", 5));
}

TEST(Cp932, FieldTextStopsAtTheFirstNul) {
    EXPECT_EQ(fieldText(std::string_view("ab\0cd", 5)), "ab");
    EXPECT_EQ(fieldText("abcd"), "abcd");
}
