// The native file system and replacing a file step by step are exercised by every save,
// open and extraction test, with a fault at every call; here only the names.
#include "puzzle/file_system.h"
#include "puzzle/replacement_file.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace pdt::puzzle;

TEST(FileSystem, PathPartsAndTemporaryNames) {
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

    // The name part must also fit NAME_MAX; 259 bytes in all is checked by the save and
    // extraction tests, on both sides of the limit.
    EXPECT_EQ(TemporaryNameFor("a.ADX"), "a.ADX$$$");
    EXPECT_TRUE(TemporaryNameFor("/" + std::string(252, 'n')));
    EXPECT_FALSE(TemporaryNameFor("/" + std::string(253, 'n'))); // the name part takes 256
}
