#include "puzzle/file_system.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

using namespace pdt::puzzle;
using namespace pdt::test;

namespace {

FileSystem& fs() {
    return NativeFileSystem();
}

Bytes readThrough(const std::string& path) {
    const auto f = fs().openRead(path);
    EXPECT_TRUE(f.ok());
    const auto n = fs().size(f.value);
    Bytes out(n.value);
    EXPECT_EQ(fs().readAt(f.value, 0, out).value, out.size());
    EXPECT_TRUE(fs().close(f.value).ok());
    return out;
}

} // namespace

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

TEST(FileSystem, WritesReadsAndRenamesOverAnExistingFile) {
    TempDir dir;
    writeFile(dir / "target", bytesOf("old"));
    const auto f = fs().create(dir / "new", CreateMode::Exclusive);
    ASSERT_TRUE(f.ok());
    const Bytes data = pictureBytes(100000);
    const auto w = fs().write(f.value, data);
    EXPECT_TRUE(w.ok());
    EXPECT_EQ(w.value, data.size());
    EXPECT_TRUE(fs().sync(f.value).ok());
    EXPECT_TRUE(fs().close(f.value).ok());
    EXPECT_TRUE(fs().rename(dir / "new", dir / "target").ok());
    EXPECT_TRUE(fs().syncDirectory(dir.path()).ok());
    EXPECT_EQ(readThrough(dir / "target"), data);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"target"});

    // Reading past the end gives what there is.
    const auto r = fs().openRead(dir / "target");
    Bytes tail(10);
    EXPECT_EQ(fs().readAt(r.value, data.size() - 4, tail).value, 4u);
    EXPECT_EQ(fs().readAt(r.value, data.size() + 4, tail).value, 0u);
    fs().close(r.value);
}

TEST(FileSystem, CreatingNeverGoesThroughASymbolicLink) {
    TempDir dir;
    writeFile(dir / "victim", bytesOf("keep"));
    std::filesystem::create_symlink(dir / "victim", dir / "link");
    EXPECT_EQ(fs().create(dir / "link", CreateMode::Exclusive).error, EEXIST);
    EXPECT_EQ(fs().create(dir / "link", CreateMode::Replace).error, ELOOP);
    writeFile(dir / "plain", bytesOf("x"));
    EXPECT_EQ(fs().create(dir / "plain", CreateMode::Exclusive).error, EEXIST);
    EXPECT_EQ(readFile(dir / "victim"), bytesOf("keep"));
    // Removing the link leaves what it points to.
    EXPECT_TRUE(fs().remove(dir / "link").ok());
    EXPECT_EQ(readFile(dir / "victim"), bytesOf("keep"));
}

TEST(FileSystem, OnlyRegularFilesAreOpenedForReading) {
    TempDir dir;
    std::filesystem::create_directory(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(fs().openRead(dir / "folder").error, EISDIR);
    EXPECT_EQ(fs().openRead(dir / "pipe").error, EINVAL);
    EXPECT_EQ(fs().openRead(dir / "missing").error, ENOENT);
    EXPECT_NE(fs().openDevice(dir / "folder").error, 0);
}

TEST(FileSystem, StatusTellsKindsAndIdentity) {
    TempDir dir;
    writeFile(dir / "a", bytesOf("abc"));
    std::filesystem::create_hard_link(dir / "a", dir / "b");
    writeFile(dir / "c", bytesOf("abc"));
    std::filesystem::create_directory(dir / "d");
    const auto a = fs().status(dir / "a").value;
    EXPECT_EQ(a.kind, FileStatus::Kind::Regular);
    EXPECT_EQ(a.size, 3u);
    EXPECT_TRUE(a.sameFileAs(fs().status(dir / "b").value));
    EXPECT_FALSE(a.sameFileAs(fs().status(dir / "c").value));
    EXPECT_EQ(fs().status(dir / "d").value.kind, FileStatus::Kind::Directory);
    const auto missing = fs().status(dir / "none");
    EXPECT_TRUE(missing.ok());
    EXPECT_EQ(missing.value.kind, FileStatus::Kind::Missing);
    EXPECT_FALSE(missing.value.sameFileAs(missing.value));
    EXPECT_EQ(fs().status("/dev/null").value.kind, FileStatus::Kind::Other);
}

TEST(FileSystem, AFullDeviceReportsNoSpace) {
    const auto f = fs().openDevice("/dev/full");
    if (!f.ok())
        GTEST_SKIP() << "no /dev/full here";
    const Bytes data(100, 1);
    const auto w = fs().write(f.value, data);
    EXPECT_EQ(w.error, ENOSPC);
    EXPECT_EQ(w.value, 0u);
    fs().close(f.value);
}
