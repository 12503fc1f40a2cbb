// Creating, replacing and the refusal of links are tested from outside
// (extract_command_test.cpp); here what no stored name can reach.
#include "cli/output_folder.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

namespace pdt::cli {
namespace {

using pdt::test::TempDir;

TEST(OutputFolder, TakesOnlySingleNamesAndLeavesNothingOfAFileNotCommitted) {
    TempDir dir;
    int error = 0;
    auto folder = OutputFolder::open(dir / "out", error);
    ASSERT_TRUE(folder) << error;
    pdt::test::writeFile(dir / "out/old", pdt::test::bytesOf("old"));
    const std::uint8_t partial[] = {'p', 'a', 'r', 't'};
    {
        auto fresh = folder->create("fresh", false, 0644, error);
        auto replacing = folder->create("old", true, 0644, error);
        ASSERT_TRUE(fresh && replacing) << error;
        EXPECT_EQ(fresh->write(partial), 0);
        EXPECT_EQ(replacing->write(partial), 0);
    }
    EXPECT_EQ(pdt::test::readFile(dir / "out/old"), pdt::test::bytesOf("old"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "out"), {}), 1);

    for (const std::string& name :
         std::vector<std::string>{"", ".", "..", "../x", "a/b", "/tmp/x", std::string("a\0b", 3)}) {
        for (const bool replace : {false, true}) {
            error = 0;
            EXPECT_FALSE(folder->create(name, replace, 0644, error)) << name;
            EXPECT_EQ(error, EINVAL) << name;
        }
    }
    EXPECT_EQ(dir.names(), std::vector<std::string>{"out"});
}

} // namespace
} // namespace pdt::cli
