#include "support/bytes.h"
#include "text/cp932.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

using pdt::test::hex;
using namespace pdt::text;

TEST(Cp932, EncodesWithMicrosoftsMappingAndDecodesBack) {
    const std::tuple<const char*, const char*, const char*> vectors[] = {
        {"新規.ADX", "90 56 8B 4B 2E 41 44 58", "新規.ADX"},
        {"①", "87 40", "①"},
        {"～", "81 60", "～"},
        {"\\", "5C", "\\"},
        {"ﾊﾟﾀｰﾝ", "CA DF C0 B0 DD", "ﾊﾟﾀｰﾝ"},
        {"ⅰ", "FA 40", "ⅰ"},
        {"\uE000", "F0 40", "\uE000"}, // the first user-defined character
        {"¬", "81 CA", "￢"},          // one way: 81 CA is the full-width sign
        {"", "", ""}};
    for (const auto& [utf8, cp932Hex, back] : vectors) {
        const auto encoded = toCp932(utf8);
        ASSERT_TRUE(encoded.has_value()) << utf8;
        EXPECT_EQ(hex(*encoded), cp932Hex) << utf8;
        EXPECT_EQ(fromCp932(*encoded), back);
    }
    // Refused rather than substituted, also after a good start; nothing is left behind for
    // the next conversion. U+0080 has a byte of its own on Windows; Linux's converter drops
    // language tags such as U+E0001.
    for (const char* s : {"\xF0\x9F\x98\x80", "abc\xF0\x9F\x98\x80", "한국어", "\xC3", "é",
                          "\xC2\x80", "a\xF3\xA0\x80\x81"})
        EXPECT_FALSE(isCp932Encodable(s)) << s;
}

static std::string utf8Of(char32_t c) {
    if (c < 0x80)
        return std::string(1, char(c));
    const int tail = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    std::string out(1, char((0xFF00 >> (tail + 1)) | (c >> (6 * tail)))); // 110, 1110, 11110
    for (int i = tail - 1; i >= 0; --i)
        out += char(0x80 | ((c >> (6 * i)) & 0x3F));
    return out;
}

// The whole table, the same on every system: a character is refused or reads back as
// itself, but for the JIS signs that are stored as their Microsoft counterparts.
TEST(Cp932, AcceptsExactlyTheCodePagesCharacters) {
    const std::map<char32_t, char32_t> oneWay = {
        {0xA2, 0xFFE0},   {0xA3, 0xFFE1}, {0xA5, 0x5C},     {0xAC, 0xFFE2},   {0x2014, 0x2015},
        {0x2016, 0x2225}, {0x203E, 0x7E}, {0x2212, 0xFF0D}, {0x301C, 0xFF5E},
    };
    int accepted = 0;
    for (char32_t c = 0; c < 0x110000; ++c) {
        const auto stored = c >= 0xD800 && c < 0xE000 ? std::nullopt : toCp932(utf8Of(c));
        if (!stored)
            continue;
        ++accepted;
        const auto one = oneWay.find(c);
        ASSERT_EQ(fromCp932(*stored), utf8Of(one == oneWay.end() ? c : one->second))
            << std::hex << unsigned(c);
    }
    // ASCII, 63 half-width katakana, 6,879 JIS X 0208 characters, the 74 NEC and 373 IBM
    // extensions with no code elsewhere, 1,880 user-defined characters and the nine signs.
    EXPECT_EQ(accepted, 128 + 63 + 6879 + 74 + 373 + 1880 + 9);
}

TEST(Cp932, DecodingNeverFailsAndMarksBadBytes) {
    const std::string bad = "\xEF\xBF\xBD"; // U+FFFD
    const std::pair<std::string, std::string> cases[] = {
        {"\x81", bad},               // lead byte at the end
        {"A\200B", "A" + bad + "B"}, // 0x80 is unassigned
        {"\x81 x", bad + " x"},      // a bad trail byte costs only the lead byte
        {std::string("\x90\x56\x00\x41", 4), std::string("新\0A", 5)},
    };
    for (const auto& [cp932, utf8] : cases)
        EXPECT_EQ(fromCp932(cp932), utf8) << hex(cp932);
    EXPECT_EQ(fieldText(std::string_view("ab\0cd", 5)), "ab");
}
