#include "support/bytes.h"
#include "text/cp932.h"

#include <gtest/gtest.h>

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
    // The other JIS signs stored as their Microsoft counterparts.
    EXPECT_EQ(fromCp932(toCp932("¢£¥—‖‾−〜").value_or("")), "￠￡\\―∥~－～");
    // Refused rather than substituted, also after a good start; nothing is left behind for
    // the next conversion. U+0080 has a byte of its own on Windows; Linux's converter drops
    // language tags such as U+E0001.
    for (const char* s : {"\xF0\x9F\x98\x80", "abc\xF0\x9F\x98\x80", "한국어", "\xC3", "é",
                          "\xC2\x80", "a\xF3\xA0\x80\x81"})
        EXPECT_FALSE(isCp932Encodable(s)) << s;
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
