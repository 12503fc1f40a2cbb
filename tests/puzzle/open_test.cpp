#include "puzzle/open.h"

#include "puzzle/messages.h"
#include "support/documents.h"
#include "support/fault_file_system.h"

#include <gtest/gtest.h>

#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace pdt::puzzle;
using namespace pdt::test;

namespace {

PatternSpec pattern(size_t puzzle, size_t finished, std::int16_t pieces = 0) {
    PatternSpec p{{}, pictureBytes(puzzle, 3), pictureBytes(finished, 5)};
    p.record.pieceCount = pieces;
    setFieldText(p.record.puzzleImagePath, "C:\\pics\\" + std::to_string(pieces) + ".jpg");
    return p;
}

Bytes cut(Bytes b, size_t n) {
    b.resize(n);
    return b;
}

// A document that has been worked on: five patterns, settings, a picture being attached.
Document busyDocument() {
    Document doc;
    for (auto& r : doc.table) {
        r.pieceCount = 9;
        r.sourceFiles[0] = "/somewhere/else.jpg";
    }
    doc.state = {4, 3, true, "old", 1, "/old.ADX", true};
    return doc;
}

Document openedInto(const ReadResult& r) {
    Document doc = busyDocument();
    if (r.file)
        ApplyOpenedFile(doc, *r.file);
    return doc;
}

} // namespace

TEST(Open, ReplacesTheDocumentInOneStep) {
    TempDir dir;
    Bytes file = buildFile({pattern(100, 50, 6), pattern(0, 20, 12)}, "pass", 0);
    file[20 + 1154 + 150 + 4] = std::uint8_t(~1); // the second vendorInfo: only the first counts
    writeFile(dir / "two.ADX", file);
    const ReadResult r = ReadPuzzleDataFile(dir / "two.ADX");
    ASSERT_TRUE(r.file);
    EXPECT_FALSE(r.refusal);
    EXPECT_FALSE(DamageWarning(*r.file));

    const Document doc = openedInto(r);
    EXPECT_EQ(doc.state.lastIndex, 1);
    EXPECT_EQ(doc.state.currentPattern, 0);
    EXPECT_EQ(doc.state.password, "pass");
    EXPECT_EQ(doc.state.currentFilePath, dir / "two.ADX");
    EXPECT_EQ(doc.state.vendorFlag, 0) << "the first record's vendorInfo";
    EXPECT_TRUE(doc.state.dirty) << "dirty is the caller's";
    EXPECT_TRUE(doc.state.readyFlag);
    EXPECT_EQ(doc.pattern(1).pieceCount, 12);
    for (int i = 0; i < kMaxPatterns; ++i)
        ASSERT_TRUE(doc.pattern(i) == (i < 2 ? r.file->walk.records[size_t(i)] : PatternRecord{}))
            << "slot " << i;

    writeFile(dir / "one.ADX", buildFile({pattern(1, 0)}, "", 1));
    EXPECT_EQ(openedInto(ReadPuzzleDataFile(dir / "one.ADX")).state.vendorFlag, 1);
    // Any other byte there still means "on", so the next save writes 1.
    writeFile(dir / "odd.ADX", buildFile({pattern(1, 0)}, "", 7));
    EXPECT_EQ(openedInto(ReadPuzzleDataFile(dir / "odd.ADX")).state.vendorFlag, 1);
}

TEST(Open, Refusals) {
    TempDir dir;
    const Bytes good = buildFile({pattern(100, 50)});
    Bytes lower = good;
    std::copy_n("adx", 3, lower.begin());
    writeFile(dir / "lower.ADX", lower);
    writeFile(dir / "empty.ADX", {});
    writeFile(dir / "short.ADX", cut(good, 19));
    writeFile(dir / "header.ADX", cut(good, 20));
    writeFile(dir / "cutpicture.ADX", cut(good, good.size() - 1));
    std::filesystem::create_directory(dir / "folder.ADX");
#ifdef _WIN32
    const char* const notAFile = "NUL"; // a device, in every folder
#else
    const char* const notAFile = "pipe.ADX";
    ASSERT_EQ(::mkfifo((dir / notAFile).c_str(), 0600), 0); // refused without waiting
#endif

    const std::pair<const char*, UserMessage> cases[] = {
        {"lower.ADX",
         {"このファイルは連結されたファイルではありません。", "情報", MessageIcon::None}},
        {"missing.ADX",
         {"ファイルを開けませんでした。\nファイルまたはフォルダが見つかりません。", "情報",
          MessageIcon::Error}},
        {"folder.ADX", messages::CannotOpen(EISDIR)},
        {notAFile, messages::CannotOpen(EINVAL)},
        {"empty.ADX", messages::TooShort()},
        {"short.ADX", messages::TooShort()},
        {"header.ADX",
         messages::NothingReadable("ﾊﾟﾀｰﾝ1 のデータが途中で切れています（20 バイト目）。")},
        {"cutpicture.ADX",
         messages::NothingReadable("ﾊﾟﾀｰﾝ1 の画像がファイルの終わりを越えています。")},
    };
    for (const auto& [name, expected] : cases) {
        const ReadResult r = ReadPuzzleDataFile(dir / name);
        EXPECT_FALSE(r.file) << name;
        ASSERT_TRUE(r.refusal) << name;
        EXPECT_EQ(*r.refusal, expected) << name;
    }
}

TEST(Open, ADamagedFileOpensWithTheSoundRecordsAndAWarning) {
    TempDir dir;
    const Bytes three = buildFile({pattern(10, 10, 1), pattern(10, 10, 2), pattern(10, 10, 3)});
    writeFile(dir / "cut.ADX", cut(three, three.size() - 5));
    const ReadResult r = ReadPuzzleDataFile(dir / "cut.ADX");
    ASSERT_TRUE(r.file);
    const auto warning = DamageWarning(*r.file);
    ASSERT_TRUE(warning);
    EXPECT_EQ(*warning, (UserMessage{"このファイルは壊れています。\n"
                                     "ﾊﾟﾀｰﾝ3 の画像がファイルの終わりを越えています。\n"
                                     "読み込めたﾊﾟﾀｰﾝは 2 個です。",
                                     "確認", MessageIcon::Information}));
    const Document doc = openedInto(r);
    EXPECT_EQ(doc.state.lastIndex, 1);
    EXPECT_EQ(doc.pattern(1).pieceCount, 2);
    EXPECT_TRUE(doc.pattern(2) == PatternRecord{});

    // Trailing bytes: every record is there, and the warning says so.
    Bytes tail = three;
    tail.push_back(0x42);
    writeFile(dir / "tail.ADX", tail);
    const ReadResult t = ReadPuzzleDataFile(dir / "tail.ADX");
    ASSERT_TRUE(t.file);
    ASSERT_TRUE(DamageWarning(*t.file));
    EXPECT_NE(DamageWarning(*t.file)->text.find("3 個"), std::string::npos);
}

TEST(Open, ReadsOnlyTheRecordsAndEndsTheWalkAtAReadError) {
    TempDir dir;
    writeFile(dir / "a.ADX",
              buildFile({pattern(300000, 200000, 1), pattern(5, 0, 2), pattern(0, 9, 3)}));
    FaultFileSystem clean;
    ASSERT_TRUE(ReadPuzzleDataFile(dir / "a.ADX", clean).file);
    int reads = 0;
    for (const auto& call : clean.log())
        reads += call.op == FaultFileSystem::Op::ReadAt ? 1 : 0;
    EXPECT_EQ(reads, 4) << "the header and three records, no picture bytes";

    // Calls: open, size, then the header and the records: fail the third record.
    FaultFileSystem fs;
    fs.failCall(6);
    const ReadResult r = ReadPuzzleDataFile(dir / "a.ADX", fs);
    ASSERT_TRUE(r.file);
    EXPECT_EQ(r.file->walk.damage, Damage::ReadError);
    EXPECT_EQ(r.file->walk.records.size(), 2u);
    EXPECT_TRUE(DamageWarning(*r.file));

    // Failing the open, the size or the header read refuses the file.
    for (const int k : {1, 2, 3}) {
        FaultFileSystem early;
        early.failCall(k);
        const ReadResult e = ReadPuzzleDataFile(dir / "a.ADX", early);
        EXPECT_FALSE(e.file) << k;
        EXPECT_TRUE(e.refusal) << k;
    }
}
