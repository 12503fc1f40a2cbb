#include "puzzle/open.h"

#include "puzzle/messages.h"
#include "support/documents.h"

#include <gtest/gtest.h>

#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace pdt::puzzle;
using namespace pdt::test;

// Replacing the document is checked through the window (main_window_files_test.cpp); here
// the flag it takes: the first record's vendorInfo as 0 or 1, so that a save writes what
// the check box shows.
TEST(Open, TheVendorFlagIsTheFirstRecordsAsZeroOrOne) {
    TempDir dir;
    Bytes file = buildFile({patternWith(100, 50, 6), patternWith(0, 20, 12)}, "pass", 0);
    file[20 + 1154 + 150 + 4] = std::uint8_t(~1); // the second vendorInfo
    writeFile(dir / "two.ADX", file);
    writeFile(dir / "odd.ADX", buildFile({patternWith(1, 0)}, "", 7));
    for (const auto& [name, flag] : {std::pair{"two.ADX", 0}, std::pair{"odd.ADX", 1}}) {
        Document doc;
        doc.state.vendorFlag = 1 - flag;
        const ReadResult r = ReadPuzzleDataFile(dir / name);
        ASSERT_TRUE(r.file) << name;
        ApplyOpenedFile(doc, *r.file);
        EXPECT_EQ(doc.state.vendorFlag, flag) << name;
    }
}

TEST(Open, RefusalsAndTheWarningForADamagedFile) {
    TempDir dir;
    const Bytes good = buildFile({patternWith(100, 50)});
    Bytes other = good;
    other[2] = 'x'; // "ADx": every byte of the magic counts, in its case
    writeFile(dir / "other.ADX", other);
    writeFile(dir / "short.ADX", firstBytes(good, 19));
    writeFile(dir / "header.ADX", firstBytes(good, 20));
    writeFile(dir / "cutpicture.ADX", firstBytes(good, good.size() - 1));
    std::filesystem::create_directory(dir / "folder.ADX");
#ifdef _WIN32
    const char* const notAFile = "NUL"; // a device, in every folder
#else
    const char* const notAFile = "pipe.ADX";
    ASSERT_EQ(::mkfifo((dir / notAFile).c_str(), 0600), 0); // refused without waiting
#endif

    const std::pair<const char*, UserMessage> cases[] = {
        {"other.ADX",
         {"このファイルは連結されたファイルではありません。", "情報", MessageIcon::None}},
        {"missing.ADX",
         {"ファイルを開けませんでした。\nファイルまたはフォルダが見つかりません。", "情報",
          MessageIcon::Error}},
        {"folder.ADX", messages::CannotOpen(EISDIR)},
        {notAFile, messages::CannotOpen(EINVAL)},
        {"short.ADX", messages::TooShort()},
        {"header.ADX",
         messages::NothingReadable("ﾊﾟﾀｰﾝ1 のデータが途中で切れています（20 バイト目）。")},
        {"cutpicture.ADX",
         messages::NothingReadable("ﾊﾟﾀｰﾝ1 の画像がファイルの終わりを越えています。")},
    };
    for (const auto& [name, expected] : cases) {
        const ReadResult r = ReadPuzzleDataFile(dir / name);
        EXPECT_FALSE(r.file) << name;
        EXPECT_EQ(r.refusal, expected) << name;
    }

    // A file whose later patterns are damaged opens with the sound ones and a warning.
    const Bytes three =
        buildFile({patternWith(10, 10, 1), patternWith(10, 10, 2), patternWith(10, 10, 3)});
    writeFile(dir / "cut.ADX", firstBytes(three, three.size() - 5));
    const ReadResult r = ReadPuzzleDataFile(dir / "cut.ADX");
    ASSERT_TRUE(r.file);
    EXPECT_EQ(DamageWarning(*r.file),
              (UserMessage{"このファイルは壊れています。\n"
                           "ﾊﾟﾀｰﾝ3 の画像がファイルの終わりを越えています。\n"
                           "読み込めたﾊﾟﾀｰﾝは 2 個です。",
                           "確認", MessageIcon::Information}));
    EXPECT_EQ(r.file->walk.records.size(), 2u);
}
