#include "puzzle/pictures.h"

#include "puzzle/messages.h"
#include "puzzle/save.h"
#include "support/documents.h"
#include "support/fault_file_system.h"
#include "text/cp932.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include <sys/stat.h>

using namespace pdt::puzzle;
using namespace pdt::test;
namespace fs = std::filesystem;

TEST(AttachPicture, RecordsPathSizeAndNativeFile) {
    TempDir dir;
    const std::string path = dir / "表.jpg";
    writeFile(path, pictureBytes(1234));
    Document doc = documentWith(dir, {PictureSizes{}, PictureSizes{}});
    doc.pattern(1).puzzleImageOffset = 7000;
    PatternRecord expected = doc.pattern(1);
    setFieldText(expected.puzzleImagePath, *pdt::text::toCp932(path)); // not UTF-8
    expected.puzzleImageOffset = 0;
    expected.puzzleImageSize = 1234;
    expected.sourceFiles[0] = path;
    ASSERT_FALSE(AttachPicture(doc, 1, kPuzzleSlot, path));
    EXPECT_EQ(doc.pattern(1), expected);

    // The name an extraction proposes follows the last separator of either kind in the
    // decoded path: in code page 932 the second byte of 表 is the byte of '\'.
    EXPECT_EQ(DefaultExtractName(doc, 1, kPuzzleSlot), "表.jpg");
    setFieldText(doc.pattern(1).puzzleImagePath, "C:\\x/y\\z.bmp");
    EXPECT_EQ(DefaultExtractName(doc, 1, kPuzzleSlot), "z.bmp");
}

TEST(AttachPicture, RefusesAndChangesNothing) {
    TempDir dir;
    fs::create_directory(dir / "folder.jpg");
    // 255 bytes fit the field with its terminator; 256 do not.
    const size_t room = 255 - (dir.path().size() + 1);
    const std::string longest = dir / std::string(room, 'l');
    writeFile(longest, {});

    const std::pair<std::string, UserMessage> cases[] = {
        {dir / "missing.jpg", messages::PictureCannotBeOpened(ENOENT)},
        {dir / "folder.jpg", messages::PictureCannotBeOpened(EISDIR)},
        {"", messages::PictureCannotBeOpened(ENOENT)},
        {dir / "한국.jpg", messages::PicturePathNotEncodable()},
        {longest + std::string(1, '\0') + "y", messages::PicturePathNotEncodable()},
        {longest + "l", messages::PicturePathTooLong()},
        // Measured in code page 932: 256 bytes of UTF-8, 255 stored, so it is tried.
        {dir / std::string(room - 2, 'l') + "画", messages::PictureCannotBeOpened(ENOENT)},
    };
    Document doc = documentWith(dir, {PictureSizes{}});
    const Document before = doc;
    for (const auto& [path, expected] : cases) {
        SCOPED_TRACE(path);
        EXPECT_EQ(AttachPicture(doc, 0, kPuzzleSlot, path), expected);
        expectSameDocument(doc, before);
    }
    // The longest path that fits is attached, also from a file of zero bytes.
    EXPECT_FALSE(AttachPicture(doc, 0, kFinishedSlot, longest));
    EXPECT_EQ(fieldText(doc.pattern(0).finishedImagePath).size(), 255u);
}

// The stored bytes exactly, over an existing file too; every refusal and failure leaves
// the folder as it was. (The refusals of slots without a stored picture are checked
// through the window, main_window_pictures_test.cpp.)
TEST(ExtractPicture, CopiesTheStoredBytesOrWritesNothing) {
    TempDir dir;
    Document doc = documentWith(dir, {{1000, 2000}, {0, 3000}});
    ASSERT_TRUE(SavePuzzleDataFile(doc, dir / "a.ADX", "").saved); // the pictures are ranges of it
    writeFile(dir / "out.jpg", bytesOf("old"));
    // The longest target whose temporary name ("$$$" added) fits 259 bytes.
    const std::string longest = dir / std::string(259 - (dir.path().size() + 1) - 3, 'x');
    for (const std::string& target : {dir / "out.jpg", longest}) {
        const ExtractResult x = ExtractPicture(doc, 1, kFinishedSlot, target);
        EXPECT_EQ(x.message, (UserMessage{"ファイルを抽出しました。", "情報", MessageIcon::None}));
        EXPECT_EQ(readFile(target), pictureFor(1, 1, 3000));
    }
    // A device takes the bytes as they come.
#ifdef _WIN32
    EXPECT_TRUE(ExtractPicture(doc, 0, kFinishedSlot, "NUL").extracted);
#else
    EXPECT_TRUE(ExtractPicture(doc, 0, kFinishedSlot, "/dev/null").extracted);
#endif

    const auto refused = [&](int pattern, const std::string& target, const UserMessage& m,
                             FileSystem& files = NativeFileSystem()) {
        const auto before = filesIn(dir);
        const ExtractResult x = ExtractPicture(doc, pattern, kFinishedSlot, target, files);
        EXPECT_FALSE(x.extracted) << target;
        EXPECT_EQ(x.message, m) << target;
        EXPECT_TRUE(filesIn(dir) == before) << target;
    };
    fs::create_directory(dir / "folder");
    refused(0, dir / "folder", messages::ExtractTargetIsFolder());
    fs::create_hard_link(dir / "a.ADX", dir / "link.ADX");
    refused(0, dir / "link.ADX", messages::ExtractOverCurrentFile());
    refused(0, longest + "x", messages::ExtractNameTooLong());
    struct stat device {};
    if (::stat("/dev/full", &device) == 0 && S_ISCHR(device.st_mode)) {
        refused(0, "/dev/full",
                {"ファイルの抽出に失敗しました。\nディスクの空き容量が足りません。", "確認",
                 MessageIcon::Error});
        EXPECT_FALSE(exists("/dev/full$$$"));
    } else {
#ifndef _WIN32
        std::printf("skipped: extracting onto a full disk, for want of /dev/full\n");
#endif
    }
    // A copy that fails on the way leaves the old file and no temporary one.
    using Op = FaultFileSystem::Op;
    for (const auto& [op, m] : {std::pair{Op::ReadAt, messages::ExtractSourceUnreadable(ENOSPC)},
                                std::pair{Op::Rename, messages::ExtractFailed(ENOSPC)}}) {
        FaultFileSystem failing;
        failing.failEvery(op, ENOSPC);
        refused(1, dir / "out.jpg", m, failing);
    }
    fs::resize_file(dir / "a.ADX", 2174 + 2000 - 1); // one byte short of that picture
    refused(0, dir / "out.jpg", messages::PictureOutsideFile());
    fs::remove(dir / "a.ADX");
    refused(1, dir / "out.jpg", messages::ExtractSourceUnreadable(ENOENT));
}
