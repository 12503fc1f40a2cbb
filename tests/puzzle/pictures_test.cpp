#include "puzzle/pictures.h"

#include "puzzle/messages.h"
#include "puzzle/save.h"
#include "support/documents.h"
#include "support/fault_file_system.h"
#include "text/cp932.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

using namespace pdt::puzzle;
using namespace pdt::test;
namespace fs = std::filesystem;

namespace {

// A saved document: its pictures are ranges of dir/a.ADX.
Document savedDocument(const TempDir& dir) {
    Document doc = documentWith(dir, {{1000, 2000}, {0, 3000}});
    EXPECT_TRUE(SavePuzzleDataFile(doc, dir / "a.ADX", "").saved);
    return doc;
}

// The longest target whose temporary name ("$$$" added) fits 259 bytes.
std::string longestTarget(const TempDir& dir) {
    return dir / std::string(259 - (dir.path().size() + 1) - 3, 'x');
}

} // namespace

TEST(AttachPicture, RecordsPathSizeAndNativeFile) {
    TempDir dir;
    const std::string path = dir / "画像.jpg";
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

TEST(ExtractPicture, DefaultNames) {
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\pics\\a.jpg", "a.jpg"},
        {"a.jpg", "a.jpg"},
        {"C:\\pics\\", ""},
        {"/home/u/b.gif", "b.gif"},
        {"C:\\x/y\\z.bmp", "z.bmp"},
        // 0x95 0x5C is one character whose second byte is the byte of '\'.
        {"C:\\\x95\x5C.jpg", "表.jpg"},
    };
    TempDir dir;
    Document doc = documentWith(dir, {PictureSizes{}});
    for (const auto& [stored, expected] : cases) {
        setFieldText(doc.pattern(0).puzzleImagePath, stored);
        EXPECT_EQ(DefaultExtractName(doc, 0, kPuzzleSlot), expected) << stored;
    }
}

// The stored bytes exactly, over an existing file too; every refusal and failure leaves
// the folder as it was. (The refusals of slots without a stored picture are checked
// through the window, main_window_pictures_test.cpp.)
TEST(ExtractPicture, CopiesTheStoredBytesOrWritesNothing) {
    TempDir dir;
    Document doc = savedDocument(dir);
    writeFile(dir / "out.jpg", bytesOf("old"));
    for (const std::string& target : {dir / "out.jpg", longestTarget(dir)}) {
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

    const auto refused = [&](int pattern, const std::string& target, const UserMessage& m) {
        const auto files = filesIn(dir);
        const ExtractResult x = ExtractPicture(doc, pattern, kFinishedSlot, target);
        EXPECT_FALSE(x.extracted) << target;
        EXPECT_EQ(x.message, m) << target;
        EXPECT_TRUE(filesIn(dir) == files) << target;
    };
    fs::create_directory(dir / "folder");
    refused(0, dir / "folder", messages::ExtractTargetIsFolder());
    fs::create_hard_link(dir / "a.ADX", dir / "link.ADX");
    refused(0, dir / "link.ADX", messages::ExtractOverCurrentFile());
    refused(0, longestTarget(dir) + "x", messages::ExtractNameTooLong());
    struct stat device {};
    if (::stat("/dev/full", &device) == 0 && S_ISCHR(device.st_mode)) {
        refused(0, "/dev/full",
                {"ファイルの抽出に失敗しました。\nディスクの空き容量が足りません。", "確認",
                 MessageIcon::Error});
        EXPECT_FALSE(exists("/dev/full$$$"));
    }
    fs::resize_file(dir / "a.ADX", 2174 + 2000 - 1); // one byte short of that picture
    refused(0, dir / "out.jpg", messages::PictureOutsideFile());
    fs::remove(dir / "a.ADX");
    refused(1, dir / "out.jpg", messages::ExtractSourceUnreadable(ENOENT));
}

// Every call of an extraction made to fail, alone and from there on: the target is the
// old file or the complete copy, "extracted" exactly when it is the copy, no temporary
// file stays behind.
TEST(ExtractPicture, AFaultAtAnyCallLeavesTheOldFileOrTheCompleteCopy) {
    TempDir dir;
    const Document doc = savedDocument(dir);
    const Bytes old = bytesOf("old content");
    const Bytes copy = pictureFor(1, 1, 3000);

    FaultFileSystem dry;
    writeFile(dir / "out.jpg", old);
    ASSERT_TRUE(ExtractPicture(doc, 1, kFinishedSlot, dir / "out.jpg", dry).extracted);
    const int calls = dry.calls();
    ASSERT_GE(calls, 10);

    for (const bool onward : {false, true}) {
        for (int k = 1; k <= calls; ++k) {
            SCOPED_TRACE((onward ? "from call " : "call ") + std::to_string(k));
            writeFile(dir / "out.jpg", old);
            FaultFileSystem fs;
            onward ? fs.failFrom(k, ENOSPC) : fs.failCall(k, ENOSPC);
            const ExtractResult x = ExtractPicture(doc, 1, kFinishedSlot, dir / "out.jpg", fs);
            const Bytes now = readFile(dir / "out.jpg");
            EXPECT_TRUE(now == old || now == copy);
            EXPECT_EQ(x.extracted, now == copy);
            EXPECT_EQ(x.message == messages::Extracted(), x.extracted);
            EXPECT_FALSE(exists(dir / "out.jpg$$$"));
        }
    }
}
