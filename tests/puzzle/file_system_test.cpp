// The native file system and replacing a file step by step are exercised by every save,
// open and extraction test, with a fault at every call; here only the names.
#include "puzzle/file_system.h"
#include "puzzle/replacement_file.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace pdt::puzzle;

TEST(FileSystem, PathParts) {
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"/tmp/a/b.ADX", "/tmp/a", "b.ADX"},
        {"b.ADX", ".", "b.ADX"},
        {"/b.ADX", "/", "b.ADX"},
        {"dir/", "dir", ""},
    };
    for (const auto& [path, dir, name] : cases) {
        EXPECT_EQ(DirectoryOf(path), dir) << path;
        EXPECT_EQ(FileNameOf(path), name) << path;
    }
}

// 259 bytes with "$$$" is the most; the name part must also fit NAME_MAX.
TEST(FileSystem, TemporaryNamesStayWithinTheLimits) {
    EXPECT_EQ(TemporaryNameFor("a.ADX"), "a.ADX$$$");
    const std::string dir = "/" + std::string(9, 'd') + "/"; // 11 bytes
    EXPECT_TRUE(TemporaryNameFor(dir + std::string(245, 'n')));
    EXPECT_FALSE(TemporaryNameFor(dir + std::string(246, 'n')));
    EXPECT_TRUE(TemporaryNameFor("/" + std::string(252, 'n')));
    EXPECT_FALSE(TemporaryNameFor("/" + std::string(253, 'n'))); // the name part takes 256
}
