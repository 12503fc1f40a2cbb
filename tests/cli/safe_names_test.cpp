#include "cli/safe_names.h"

#include <gtest/gtest.h>

#include <vector>

namespace pdt::cli {
namespace {

TEST(SafeNamePart, KeepsOnlyAHarmlessLastPartOfTheStoredPath) {
    const struct {
        std::string stored;
        std::string name;
    } cases[] = {
        {"C:\\pics\\a.jpg", "a.jpg"},
        {"/home/author/b.bmp", "b.bmp"},
        {"/etc/passwd", "passwd"},
        {"..\\..\\evil.jpg", "evil.jpg"},
        {"a/../../b.jpg", "b.jpg"},
        {"..", ""},
        {"...", ""},
        {"C:evil.jpg", "evil.jpg"},
        {"D:", ""},
        {"\\\\server\\share\\c.gif", "c.gif"},
        {"x..jpg", "x.jpg"},
        {"a....b", "a.b"},
        {".hidden.jpg", "hidden.jpg"},
        {" . trailing. . ", "trailing"},
        {"a\x01"
         "b\x1f"
         "c\x7f.jpg",
         "a_b_c_.jpg"},
        {"tab\there", "tab_here"},
        {"line\r\nbreak", "line__break"},
        {"c1\xC2\x85"
         "char",
         "c1_char"},
        {"x1:b*c?d\"e<f>g|h.jpg", "x1_b_c_d_e_f_g_h.jpg"},
        {"CON", "_CON"},
        {"con", "_con"},
        {"aux.txt", "_aux.txt"},
        {"Nul.tar.gz", "_Nul.tar.gz"},
        {"LPT1", "_LPT1"},
        {"com9.jpg", "_com9.jpg"},
        {"COM\u00B9", "_COM\u00B9"},
        {"CON .jpg", "_CON .jpg"},
        {"CONSOLE.jpg", "CONSOLE.jpg"},
        {"COM10.jpg", "COM10.jpg"},
        {"LPT.jpg", "LPT.jpg"},
        {"C:\\写真\\表.jpg", "表.jpg"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SafeNamePart(c.stored), c.name) << c.stored;
}

TEST(SafeNamePart, ShortensALongNameButKeepsItsExtension) {
    const std::string stem(300, 'a');
    const std::string name = SafeNamePart("C:\\" + stem + ".jpeg");
    EXPECT_EQ(name.size(), 200u);
    EXPECT_TRUE(name.ends_with("a.jpeg"));

    // Never in the middle of a character.
    std::string wide;
    for (int i = 0; i < 100; ++i)
        wide += "表"; // three bytes each
    const std::string cut = SafeNamePart(wide + ".jpg");
    EXPECT_LE(cut.size(), 200u);
    EXPECT_TRUE(cut.ends_with("表.jpg")) << cut;
    EXPECT_EQ((cut.size() - 4) % 3, 0u);
}

TEST(ExtractedName, NumbersTheSlotAndSniffsAnExtensionForANameless) {
    const std::vector<std::uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xE0};
    const std::vector<std::uint8_t> bmp = {'B', 'M', 0, 0};
    const std::vector<std::uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a'};
    const std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 13, 10};
    const std::vector<std::uint8_t> other = {1, 2, 3};
    EXPECT_EQ(ExtractedName(1, 0, "C:\\a.jpg", jpeg), "001-puzzle-a.jpg");
    EXPECT_EQ(ExtractedName(200, 1, "b", bmp), "200-finished-b");
    EXPECT_EQ(ExtractedName(12, 0, "", jpeg), "012-puzzle.jpg");
    EXPECT_EQ(ExtractedName(12, 1, "..", bmp), "012-finished.bmp");
    EXPECT_EQ(ExtractedName(3, 0, "C:\\", gif), "003-puzzle.gif");
    EXPECT_EQ(ExtractedName(3, 0, "/", png), "003-puzzle.png");
    EXPECT_EQ(ExtractedName(3, 0, "", other), "003-puzzle.bin");
    EXPECT_EQ(ExtractedName(3, 0, "", {}), "003-puzzle.bin");
}

} // namespace
} // namespace pdt::cli
