#include "puzzle/open.h"

#include "puzzle/messages.h"
#include "support/documents.h"
#include "support/fault_file_system.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

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
    ResetDocument(doc);
    for (int i = 0; i < 4; ++i)
        AppendPattern(doc);
    for (auto& r : doc.table) {
        r.pieceCount = 9;
        r.sourceFiles[0] = "/somewhere/else.jpg";
    }
    doc.state.currentPattern = 3;
    doc.state.password = "old";
    doc.state.vendorFlag = 1;
    doc.state.dirty = true;
    doc.state.readyFlag = true;
    doc.state.currentFilePath = "/old.ADX";
    return doc;
}

} // namespace

TEST(Open, ReplacesTheDocumentInOneStep) {
    TempDir dir;
    const Bytes file =
        buildFile({pattern(100, 50, 6), pattern(0, 20, 12)}, "pass", /*vendorFlag=*/0);
    writeFile(dir / "two.ADX", file);
    const ReadResult r = ReadPuzzleDataFile(dir / "two.ADX");
    ASSERT_TRUE(r.file);
    EXPECT_FALSE(r.refusal);
    EXPECT_EQ(r.file->password, "pass");
    EXPECT_FALSE(DamageWarning(*r.file));

    Document doc = busyDocument();
    ApplyOpenedFile(doc, *r.file);
    EXPECT_EQ(doc.state.lastIndex, 1);
    EXPECT_EQ(doc.state.currentPattern, 0);
    EXPECT_EQ(doc.state.password, "pass");
    EXPECT_EQ(doc.state.currentFilePath, dir / "two.ADX");
    EXPECT_EQ(doc.state.vendorFlag, 0);
    EXPECT_TRUE(doc.state.dirty) << "dirty is the caller's";
    EXPECT_TRUE(doc.state.readyFlag);
    EXPECT_EQ(doc.pattern(0).pieceCount, 6);
    EXPECT_EQ(doc.pattern(1).pieceCount, 12);
    EXPECT_EQ(doc.pattern(1).finishedImageOffset, 20 + 1154 + 150 + 1154);
    EXPECT_TRUE(doc.pattern(0).sourceFiles[0].empty());
    for (int i = 2; i < kMaxPatterns; ++i)
        ASSERT_TRUE(doc.pattern(i) == PatternRecord{}) << "slot " << i;
    // The stored pictures are read from the opened file.
    const ImageSource src = SlotSource(doc, 0, 1);
    EXPECT_EQ(src.kind, ImageSource::Kind::CurrentFileRange);
    EXPECT_EQ(src.file, dir / "two.ADX");
    EXPECT_EQ(src.offset, 20 + 1154 + 100);
    EXPECT_EQ(src.size, 50);
}

TEST(Open, TheVendorFlagFollowsTheFirstRecord) {
    TempDir dir;
    for (const std::uint8_t first : {0, 1}) {
        Bytes file = buildFile({pattern(1, 0), pattern(1, 0)}, "", first);
        // The second record says the opposite; only the first counts.
        file[20 + 1155 + 4] = std::uint8_t(~std::uint8_t(1 - first));
        writeFile(dir / "v.ADX", file);
        const ReadResult r = ReadPuzzleDataFile(dir / "v.ADX");
        ASSERT_TRUE(r.file);
        Document doc = busyDocument();
        doc.state.vendorFlag = std::uint8_t(1 - first);
        ApplyOpenedFile(doc, *r.file);
        EXPECT_EQ(doc.state.vendorFlag, first);
    }
}

TEST(Open, Refusals) {
    TempDir dir;
    const Bytes good = buildFile({pattern(100, 50)});
    Bytes lower = good;
    lower[0] = 'a';
    lower[1] = 'd';
    lower[2] = 'x';
    writeFile(dir / "lower.ADX", lower);
    writeFile(dir / "empty.ADX", {});
    writeFile(dir / "short.ADX", cut(good, 19));
    writeFile(dir / "header.ADX", cut(good, 20));
    writeFile(dir / "cutpicture.ADX", cut(good, good.size() - 1));
    std::filesystem::create_directory(dir / "folder.ADX");

    struct Case {
        const char* file;
        UserMessage expected;
    };
    const Case cases[] = {
        {"lower.ADX",
         {"このファイルは連結されたファイルではありません。", "情報", MessageIcon::None}},
        {"missing.ADX", messages::CannotOpen(ENOENT)},
        {"folder.ADX", messages::CannotOpen(EISDIR)},
        {"empty.ADX", messages::TooShort()},
        {"short.ADX", messages::TooShort()},
        {"header.ADX",
         messages::NothingReadable("ﾊﾟﾀｰﾝ1 のデータが途中で切れています（20 バイト目）。")},
        {"cutpicture.ADX",
         messages::NothingReadable("ﾊﾟﾀｰﾝ1 の画像がファイルの終わりを越えています。")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const ReadResult r = ReadPuzzleDataFile(dir / c.file);
        EXPECT_FALSE(r.file);
        ASSERT_TRUE(r.refusal);
        EXPECT_EQ(*r.refusal, c.expected);
    }
    EXPECT_EQ(messages::CannotOpen(ENOENT).text,
              "ファイルを開けませんでした。\nファイルまたはフォルダが見つかりません。");
}

TEST(Open, ADamagedFileOpensWithTheSoundRecordsAndAWarning) {
    TempDir dir;
    const Bytes three = buildFile({pattern(10, 10, 1), pattern(10, 10, 2), pattern(10, 10, 3)});
    writeFile(dir / "cut.ADX", cut(three, three.size() - 5));
    const ReadResult r = ReadPuzzleDataFile(dir / "cut.ADX");
    ASSERT_TRUE(r.file);
    const auto warning = DamageWarning(*r.file);
    ASSERT_TRUE(warning);
    EXPECT_EQ(warning->text, "このファイルは壊れています。\n"
                             "ﾊﾟﾀｰﾝ3 の画像がファイルの終わりを越えています。\n"
                             "読み込めたﾊﾟﾀｰﾝは 2 個です。");
    EXPECT_EQ(warning->caption, "確認");
    Document doc = busyDocument();
    ApplyOpenedFile(doc, *r.file);
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

TEST(Open, ReadsOneRecordAfterAnotherAndNoPictureBytes) {
    TempDir dir;
    writeFile(dir / "big.ADX", buildFile({pattern(300000, 200000), pattern(5, 0), pattern(0, 9)}));
    FaultFileSystem fs;
    const ReadResult r = ReadPuzzleDataFile(dir / "big.ADX", fs);
    ASSERT_TRUE(r.file);
    EXPECT_EQ(r.file->walk.records.size(), 3u);
    int reads = 0;
    for (const auto& call : fs.log())
        reads += call.op == FaultFileSystem::Op::ReadAt ? 1 : 0;
    EXPECT_EQ(reads, 4) << "the header and three records";
}

TEST(Open, AReadErrorEndsTheWalkWithoutLosingWhatWasRead) {
    TempDir dir;
    writeFile(dir / "a.ADX", buildFile({pattern(5, 5, 1), pattern(5, 5, 2), pattern(5, 5, 3)}));
    // Calls: open, size, then the header and the records: fail the third record.
    FaultFileSystem fs;
    fs.failCall(6);
    const ReadResult r = ReadPuzzleDataFile(dir / "a.ADX", fs);
    ASSERT_TRUE(r.file);
    EXPECT_EQ(r.file->walk.damage, Damage::ReadError);
    EXPECT_EQ(r.file->walk.records.size(), 2u);
    EXPECT_TRUE(DamageWarning(*r.file));

    // Failing the header read or the open refuses the file.
    for (const int k : {1, 2, 3}) {
        FaultFileSystem early;
        early.failCall(k);
        const ReadResult e = ReadPuzzleDataFile(dir / "a.ADX", early);
        EXPECT_FALSE(e.file) << k;
        EXPECT_TRUE(e.refusal) << k;
    }
}

TEST(Open, AFifoIsRefusedWithoutWaitingForAWriter) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe.ADX").c_str(), 0600), 0);
    const ReadResult r = ReadPuzzleDataFile(dir / "pipe.ADX");
    EXPECT_FALSE(r.file);
    ASSERT_TRUE(r.refusal);
    EXPECT_EQ(*r.refusal, messages::CannotOpen(EINVAL));
}
