#include "cli/safe_names.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace pdt::cli {
namespace {

std::string repeated(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

// What a stored path (decoded to UTF-8) becomes: no separators, "..", drive letters,
// control characters or device names, cut to 200 bytes between characters, the extension
// sniffed from the picture's first bytes when there is no name. Whether the names stay
// inside the chosen folder is tested from outside (puzzle_reader_test.cpp).
TEST(ExtractedName, MakesSafeNamesOfHostilePaths) {
    using B = std::vector<std::uint8_t>;
    const B jpeg = {0xFF, 0xD8, 0xFF, 0xE0}, bmp = {'B', 'M', 0, 0};
    const std::tuple<int, int, std::string, B, std::string> cases[] = {
        {1, 0, "C:\\pics\\a.jpg", jpeg, "001-puzzle-a.jpg"},
        {200, 1, "../../../b", bmp, "200-finished-b"},
        {3, 0, "..", bmp, "003-puzzle.bmp"},
        {3, 0, "C:\\", {'G', 'I', 'F', '8', '9', 'a'}, "003-puzzle.gif"},
        {3, 0, "", {0x89, 'P', 'N', 'G', 13, 10}, "003-puzzle.png"},
        {3, 0, "/", {1, 2, 3}, "003-puzzle.bin"},
        {3, 0, "C:evil.jpg", jpeg, "003-puzzle-evil.jpg"},
        {3, 0, "a\001b\037c\177d\t\r\n.jpg", jpeg, "003-puzzle-a_b_c_d___.jpg"},
        {3, 0, "x1:b*c?d\"e<f>g|h.jpg", jpeg, "003-puzzle-x1_b_c_d_e_f_g_h.jpg"},
        {3, 0, "c1\302\205char", jpeg, "003-puzzle-c1_char"}, // a C1 control, U+0085
        {3, 0, "aux.txt", jpeg, "003-puzzle-_aux.txt"},
        {3, 0, "CON .jpg", jpeg, "003-puzzle-_CON .jpg"},
        {3, 0, "Nul.tar.gz", jpeg, "003-puzzle-_Nul.tar.gz"},
        {3, 0, "lpt1.jpg", jpeg, "003-puzzle-_lpt1.jpg"},
        {3, 0, "COM\u00B9", jpeg, "003-puzzle-_COM\u00B9"},
        {3, 0, "CONSOLE.jpg", jpeg, "003-puzzle-CONSOLE.jpg"},
        {3, 0, "COM10.jpg", jpeg, "003-puzzle-COM10.jpg"},
        {3, 0, "a....b", jpeg, "003-puzzle-a.b"},
        {3, 0, " . trailing. . ", jpeg, "003-puzzle-trailing"},
        {3, 0, ".hidden", jpeg, "003-puzzle-hidden"},
        {3, 0, std::string(250, 'n') + ".jpg", jpeg,
         "003-puzzle-" + std::string(196, 'n') + ".jpg"},
        {3, 0, repeated("表", 100) + ".jpg", jpeg, "003-puzzle-" + repeated("表", 65) + ".jpg"},
    };
    for (const auto& [number, slot, stored, bytes, name] : cases)
        EXPECT_EQ(ExtractedName(number, slot, stored, bytes), name) << stored;
}

} // namespace
} // namespace pdt::cli
