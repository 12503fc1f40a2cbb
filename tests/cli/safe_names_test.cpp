#include "cli/safe_names.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace pdt::cli {
namespace {

// What stored names become is tested from outside (extract_command_test.cpp); here the
// UTF-8 that no code page 932 path decodes to.
TEST(SafeNamePart, ReplacesC1ControlsAndGuardsSuperscriptDeviceNames) {
    EXPECT_EQ(SafeNamePart("c1\xC2\x85"
                           "char"),
              "c1_char");
    EXPECT_EQ(SafeNamePart("COM\u00B9"), "_COM\u00B9");
}

TEST(ExtractedName, NumbersTheSlotAndSniffsAnExtensionForANameless) {
    using B = std::vector<std::uint8_t>;
    const B jpeg = {0xFF, 0xD8, 0xFF, 0xE0}, bmp = {'B', 'M', 0, 0};
    const std::tuple<int, int, std::string, B, std::string> cases[] = {
        {1, 0, "C:\\a.jpg", jpeg, "001-puzzle-a.jpg"},
        {200, 1, "b", bmp, "200-finished-b"},
        {12, 0, "", jpeg, "012-puzzle.jpg"},
        {12, 1, "..", bmp, "012-finished.bmp"},
        {3, 0, "C:\\", {'G', 'I', 'F', '8', '9', 'a'}, "003-puzzle.gif"},
        {3, 0, "/", {0x89, 'P', 'N', 'G', 13, 10}, "003-puzzle.png"},
        {3, 0, "", {1, 2, 3}, "003-puzzle.bin"},
        {3, 0, "", {}, "003-puzzle.bin"},
    };
    for (const auto& [number, slot, stored, bytes, name] : cases)
        EXPECT_EQ(ExtractedName(number, slot, stored, bytes), name);
}

} // namespace
} // namespace pdt::cli
