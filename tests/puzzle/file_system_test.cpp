// The native file system is exercised by every save, open and extraction test; here only
// what they do not reach.
#include "puzzle/file_system.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace pdt::puzzle;

TEST(FileSystem, PathParts) {
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"/tmp/a/b.ADX", "/tmp/a", "b.ADX"},
        {"b.ADX", ".", "b.ADX"},
        {"/b.ADX", "/", "b.ADX"},
        {"dir/", "dir", ""},
        {"新規.ADX", ".", "新規.ADX"},
    };
    for (const auto& [path, dir, name] : cases) {
        EXPECT_EQ(DirectoryOf(path), dir) << path;
        EXPECT_EQ(FileNameOf(path), name) << path;
    }
}
