#include "puzzle/replacement_file.h"

#include "support/fault_file_system.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace pdt::puzzle;
using namespace pdt::test;

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

TEST(ReplacementFile, PutsTheNewFileInPlaceOnlyOnCommit) {
    TempDir dir;
    const std::string target = dir / "t";
    writeFile(target, bytesOf("old"));
    {
        ReplacementFile out(NativeFileSystem(), target, target + "$$$");
        ASSERT_TRUE(out.create().ok());
        ASSERT_TRUE(out.write(bytesOf("new content")).ok());
        EXPECT_EQ(readFile(target), bytesOf("old"));
        EXPECT_TRUE(exists(target + "$$$"));
        ASSERT_TRUE(out.commit().ok());
    }
    EXPECT_EQ(readFile(target), bytesOf("new content"));
    EXPECT_EQ(dir.names(), std::vector<std::string>{"t"});

    {
        ReplacementFile out(NativeFileSystem(), target, target + "$$$");
        ASSERT_TRUE(out.create().ok());
        ASSERT_TRUE(out.write(bytesOf("abandoned")).ok());
    }
    EXPECT_EQ(readFile(target), bytesOf("new content"));
    EXPECT_EQ(dir.names(), std::vector<std::string>{"t"});
}

TEST(ReplacementFile, AShortWriteIsAFailure) {
    TempDir dir;
    FaultFileSystem fs;
    fs.failEvery(FaultFileSystem::Op::Write);
    fs.failWritesShort(true);
    ReplacementFile out(fs, dir / "t", dir / "t$$$");
    ASSERT_TRUE(out.create().ok());
    EXPECT_EQ(out.write(bytesOf("0123456789")).error, ENOSPC);
}

TEST(ReplacementFile, EachStepOfTheCommitIsChecked) {
    for (const auto op :
         {FaultFileSystem::Op::Sync, FaultFileSystem::Op::Close, FaultFileSystem::Op::Rename}) {
        TempDir dir;
        writeFile(dir / "t", bytesOf("old"));
        FaultFileSystem fs;
        fs.failEvery(op, EIO);
        {
            ReplacementFile out(fs, dir / "t", dir / "t$$$");
            ASSERT_TRUE(out.create().ok());
            ASSERT_TRUE(out.write(bytesOf("new")).ok());
            EXPECT_EQ(out.commit().error, EIO);
        }
        EXPECT_EQ(readFile(dir / "t"), bytesOf("old"));
        EXPECT_EQ(dir.names(), std::vector<std::string>{"t"});
    }
}
