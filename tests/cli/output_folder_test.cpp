#include "cli/output_folder.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace pdt::cli {
namespace {

namespace fs = std::filesystem;

class OutputFolderTest : public ::testing::Test {
  protected:
    fs::path at(const std::string& name) const { return fs::path(dir.path().toStdString()) / name; }
    std::string content(const std::string& name) const {
        std::ifstream f(at(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }
    void put(const std::string& name, const std::string& text) const {
        std::ofstream(at(name), std::ios::binary) << text;
    }
    std::unique_ptr<OutputFolder> open(const std::string& sub) const {
        int error = 0;
        auto folder = OutputFolder::open(at(sub).string(), error);
        EXPECT_TRUE(folder) << error;
        return folder;
    }
    static void write(OutputFile& f, const std::string& text) {
        ASSERT_EQ(f.write({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}), 0);
    }

    QTemporaryDir dir;
};

TEST_F(OutputFolderTest, CreatesTheFolderAndNewFilesOnlyWhereNothingIs) {
    auto folder = open("out");
    ASSERT_TRUE(fs::is_directory(at("out")));
    int error = 0;
    auto f = folder->create("a.jpg", false, 0644, error);
    ASSERT_TRUE(f);
    write(*f, "new bytes");
    ASSERT_EQ(f->commit(), 0);
    EXPECT_EQ(content("out/a.jpg"), "new bytes");
    EXPECT_TRUE(folder->has("a.jpg"));

    EXPECT_FALSE(folder->create("a.jpg", false, 0644, error));
    EXPECT_EQ(error, EEXIST);
    EXPECT_EQ(content("out/a.jpg"), "new bytes");
}

TEST_F(OutputFolderTest, NeverWritesThroughASymbolicLink) {
    put("victim", "precious");
    fs::create_directory(at("out"));
    fs::create_symlink(at("victim"), at("out/link"));
    fs::create_symlink(at("not-there-yet"), at("out/dangling"));
    auto folder = open("out");
    EXPECT_TRUE(folder->has("dangling"));

    int error = 0;
    EXPECT_FALSE(folder->create("link", false, 0644, error));
    EXPECT_FALSE(folder->create("dangling", false, 0644, error));
    EXPECT_FALSE(fs::exists(at("not-there-yet")));

    // A replacement takes the link's place and leaves its target alone.
    for (const std::string name : {"link", "dangling"}) {
        auto f = folder->create(name, true, 0644, error);
        ASSERT_TRUE(f) << error;
        write(*f, "replacement");
        ASSERT_EQ(f->commit(), 0);
        EXPECT_FALSE(fs::is_symlink(at("out/" + name)));
        EXPECT_EQ(content("out/" + name), "replacement");
    }
    EXPECT_EQ(content("victim"), "precious");
    EXPECT_FALSE(fs::exists(at("not-there-yet")));
}

TEST_F(OutputFolderTest, LeavesNothingBehindForAFileNotCommitted) {
    auto folder = open("out");
    put("out/old", "old");
    int error = 0;
    {
        auto fresh = folder->create("fresh", false, 0644, error);
        ASSERT_TRUE(fresh);
        write(*fresh, "partial");
        auto replacing = folder->create("old", true, 0644, error);
        ASSERT_TRUE(replacing);
        write(*replacing, "partial");
    }
    EXPECT_FALSE(fs::exists(at("out/fresh")));
    EXPECT_EQ(content("out/old"), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(at("out")), fs::directory_iterator()), 1);
}

TEST_F(OutputFolderTest, TakesOnlySingleNames) {
    auto folder = open("out");
    const std::string names[] = {"", ".", "..", "../x", "a/b", "/tmp/x", std::string("a\0b", 3)};
    for (const auto& name : names) {
        int error = 0;
        EXPECT_FALSE(folder->create(name, false, 0644, error)) << name;
        EXPECT_EQ(error, EINVAL) << name;
        EXPECT_FALSE(folder->create(name, true, 0644, error)) << name;
    }
    EXPECT_FALSE(fs::exists(at("x")));
}

} // namespace
} // namespace pdt::cli
