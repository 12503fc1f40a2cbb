// Replacing a file step by step is tested through the saves and extractions that use it,
// with a fault at every call; here only the names.
#include "puzzle/replacement_file.h"

#include <gtest/gtest.h>

using namespace pdt::puzzle;

TEST(ReplacementFile, TemporaryNamesStayWithinTheLimits) {
    EXPECT_EQ(TemporaryNameFor("a.ADX"), "a.ADX$$$");
    const std::string dir = "/" + std::string(9, 'd') + "/"; // 11 bytes
    // 259 bytes with "$$$" is the most; the name part must also fit NAME_MAX.
    EXPECT_TRUE(TemporaryNameFor(dir + std::string(245, 'n')));
    EXPECT_FALSE(TemporaryNameFor(dir + std::string(246, 'n')));
    EXPECT_FALSE(TemporaryNameFor(std::string(300, 'n')));
    // Within 259 bytes, but the name part would take 256.
    EXPECT_TRUE(TemporaryNameFor("/" + std::string(252, 'n')));
    EXPECT_FALSE(TemporaryNameFor("/" + std::string(253, 'n')));
}
