#include "puzzle/save.h"

#include "puzzle/messages.h"
#include "puzzle/open.h"
#include "support/documents.h"
#include "support/fault_file_system.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace pdt::puzzle;
using namespace pdt::test;

namespace {

SaveResult save(Document& doc, const std::string& name, std::string_view password = {}) {
    return SavePuzzleDataFile(doc, name, password);
}

Document opened(const std::string& path) {
    ReadResult r = ReadPuzzleDataFile(path);
    EXPECT_TRUE(r.file) << (r.refusal ? r.refusal->text : "");
    Document doc;
    ResetDocument(doc);
    if (r.file)
        ApplyOpenedFile(doc, *r.file);
    return doc;
}

struct Layout {
    std::int32_t recordOffset, puzzleOffset, finishedOffset;
};

Layout layoutAt(const Bytes& file, size_t recordPos) {
    return {storedField(file, recordPos, 517), storedField(file, recordPos, 521),
            storedField(file, recordPos, 525)};
}

} // namespace

TEST(Save, OnePatternOf1000And2000BytesIs4174BytesLong) {
    TempDir dir;
    Document doc = documentWith(dir, {{1000, 2000}});
    const SaveResult r = save(doc, dir / "one.ADX");
    ASSERT_TRUE(r.saved);
    ASSERT_TRUE(r.message);
    EXPECT_EQ(*r.message, (UserMessage{"ファイルを保存しました。", "情報", MessageIcon::None}));

    const Bytes file = readFile(dir / "one.ADX");
    ASSERT_EQ(file.size(), 4174u);
    EXPECT_EQ(hex(std::span(file).first(4)), "41 44 58 01");
    EXPECT_EQ(hex(std::span(file).subspan(4, 16)),
              "DF DF DF DF DF DF DF DF DF DF DF DF DF DF DF DF");
    EXPECT_EQ(hex(std::span(file).subspan(20, 4)), "7D FB FF FF");
    EXPECT_EQ(hex(std::span(file).subspan(20 + 517, 4)), "EB FF FF FF");
    const Layout l = layoutAt(file, 20);
    EXPECT_EQ(l.recordOffset, 20);
    EXPECT_EQ(l.puzzleOffset, 1174);
    EXPECT_EQ(l.finishedOffset, 2174);
    EXPECT_EQ(storedField(file, 20, 529), 1000);
    EXPECT_EQ(storedField(file, 20, 533), 2000);
    const Bytes puzzle(file.begin() + 1174, file.begin() + 2174);
    const Bytes finished(file.begin() + 2174, file.end());
    EXPECT_EQ(puzzle, pictureFor(0, 0, 1000));
    EXPECT_EQ(finished, pictureFor(0, 1, 2000));
    // The path field holds where the picture came from.
    const std::string stored(file.begin() + 20 + 5, file.begin() + 20 + 5 + 256);
    std::string plain;
    for (char c : stored)
        plain += char(~c);
    EXPECT_EQ(plain.substr(0, plain.find('\0')), picturePath(dir, 0, 0));
}

struct LayoutCase {
    const char* name;
    std::vector<PictureSizes> patterns;
    std::string password;
    std::uint64_t fileSize;
    std::vector<Layout> firstRecords; // offsets stored in the first records, in order
    std::string headerHex;            // the first 20 bytes
};

class SaveLayout : public testing::TestWithParam<LayoutCase> {};

TEST_P(SaveLayout, WritesTheHandComputedBytes) {
    const LayoutCase& c = GetParam();
    TempDir dir;
    Document doc = documentWith(dir, c.patterns);
    const Bytes expected = expectedFileFor(doc, c.password);
    ASSERT_TRUE(SavePuzzleDataFile(doc, dir / "set.ADX", c.password).saved);
    const Bytes file = readFile(dir / "set.ADX");
    EXPECT_EQ(file.size(), c.fileSize);
    EXPECT_TRUE(file == expected);
    EXPECT_EQ(hex(std::span(file).first(20)), c.headerHex);
    size_t at = 20;
    for (size_t k = 0; k < c.firstRecords.size(); ++k) {
        const Layout l = layoutAt(file, at);
        EXPECT_EQ(l.recordOffset, c.firstRecords[k].recordOffset) << "record " << k;
        EXPECT_EQ(l.puzzleOffset, c.firstRecords[k].puzzleOffset) << "record " << k;
        EXPECT_EQ(l.finishedOffset, c.firstRecords[k].finishedOffset) << "record " << k;
        at += 1154 + c.patterns[k].puzzle + c.patterns[k].finished;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SaveLayout,
    testing::Values(LayoutCase{"OnlyAFinishedPicture",
                               {{0, 500}},
                               "",
                               20 + 1154 + 500,
                               {{20, 1174, 1174}},
                               "41 44 58 01 DF DF DF DF DF DF DF DF DF DF DF DF DF DF DF DF"},
                    LayoutCase{"OnlyAPuzzlePictureEndsAtTheFileEnd",
                               {{700, 0}},
                               "",
                               20 + 1154 + 700,
                               {{20, 1174, 1874}},
                               "41 44 58 01 DF DF DF DF DF DF DF DF DF DF DF DF DF DF DF DF"},
                    LayoutCase{"ThreePatternsMixed",
                               {{10, 20}, {0, 30}, {40, 0}},
                               "ab",
                               20 + 3 * 1154 + 100,
                               {{20, 1174, 1184}, {1204, 2358, 2358}, {2388, 3542, 3582}},
                               "41 44 58 03 9E 9D DF DF DF DF DF DF DF DF DF DF DF DF DF DF"},
                    LayoutCase{"SixteenBytePasswordWithoutPadding",
                               {{5, 5}},
                               "ABCDEFGHIJKLMNOP",
                               20 + 1154 + 10,
                               {{20, 1174, 1179}},
                               "41 44 58 01 BE BD BC BB BA B9 B8 B7 B6 B5 B4 B3 B2 B1 B0 AF"},
                    LayoutCase{"TwoHundredPatterns",
                               std::vector<PictureSizes>(200, {3, 0}),
                               "",
                               20 + 200 * (1154 + 3),
                               {{20, 1174, 1177}, {1177, 2331, 2334}},
                               "41 44 58 C8 DF DF DF DF DF DF DF DF DF DF DF DF DF DF DF DF"}),
    [](const testing::TestParamInfo<LayoutCase>& info) { return info.param.name; });

TEST(Save, TheDocumentTakesTheNewFileAfterASave) {
    TempDir dir;
    Document doc = documentWith(dir, {{100, 200}, {0, 50}});
    doc.state.vendorFlag = 1;
    doc.state.dirty = true;
    doc.state.currentPattern = 1;
    // Leftovers above lastIndex are not saved and stay as they are.
    doc.pattern(5).pieceCount = 77;
    ASSERT_TRUE(save(doc, dir / "set", "pw").saved);

    EXPECT_EQ(doc.state.currentFilePath, dir / "set.ADX");
    EXPECT_EQ(doc.state.password, "pw");
    EXPECT_TRUE(doc.state.dirty) << "dirty is the caller's";
    EXPECT_EQ(doc.state.currentPattern, 1);
    EXPECT_EQ(doc.pattern(5).pieceCount, 77);
    const PatternRecord& a = doc.pattern(0);
    EXPECT_EQ(a.recordSize, 1154);
    EXPECT_EQ(a.vendorInfo, 1);
    EXPECT_EQ(a.recordOffset, 20);
    EXPECT_EQ(a.puzzleImageOffset, 1174);
    EXPECT_EQ(a.finishedImageOffset, 1274);
    EXPECT_TRUE(a.sourceFiles[0].empty());
    const PatternRecord& b = doc.pattern(1);
    EXPECT_EQ(b.recordOffset, 1474);
    EXPECT_EQ(b.puzzleImageOffset, 2628);
    EXPECT_EQ(b.finishedImageOffset, 2628);
    // Every picture is now a range of the new file.
    const ImageSource src = SlotSource(doc, 1, 1);
    EXPECT_EQ(src.kind, ImageSource::Kind::CurrentFileRange);
    EXPECT_EQ(src.file, dir / "set.ADX");
    // The table is what opening the new file gives.
    const Document reopened = opened(dir / "set.ADX");
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(reopened.pattern(i) == doc.pattern(i)) << "pattern " << i;
}

TEST(Save, TargetNames) {
    EXPECT_EQ(TargetNameFor("set1"), "set1.ADX");
    EXPECT_EQ(TargetNameFor("set1.adx"), "set1.adx");
    EXPECT_EQ(TargetNameFor("set1.AdX"), "set1.AdX");
    EXPECT_EQ(TargetNameFor("set1.ADX"), "set1.ADX");
    EXPECT_EQ(TargetNameFor("DX"), "DX.ADX");
    EXPECT_EQ(TargetNameFor("ADX"), "ADX.ADX");
    EXPECT_EQ(TargetNameFor(".ADX"), ".ADX");
    EXPECT_EQ(TargetNameFor("set.adx.txt"), "set.adx.txt.ADX");
}

TEST(Save, ANameWithoutExtensionGoesByWayOfTheTemporaryName) {
    TempDir dir;
    Document doc = documentWith(dir, {{10, 0}});
    FaultFileSystem fs;
    ASSERT_TRUE(SavePuzzleDataFile(doc, dir / "set1", "", {}, fs).saved);
    EXPECT_TRUE(exists(dir / "set1.ADX"));
    EXPECT_FALSE(exists(dir / "set1"));
    EXPECT_FALSE(exists(dir / "set1.ADX$$$"));
    EXPECT_EQ(doc.state.currentFilePath, dir / "set1.ADX");
    bool created = false, renamed = false;
    for (const auto& call : fs.log()) {
        created |= call.op == FaultFileSystem::Op::Create && call.path == dir / "set1.ADX$$$";
        renamed |= call.op == FaultFileSystem::Op::Rename &&
                   call.path == dir / "set1.ADX$$$" + " -> " + dir / "set1.ADX";
    }
    EXPECT_TRUE(created);
    EXPECT_TRUE(renamed);
}

TEST(Save, ALowerCaseExtensionIsKept) {
    TempDir dir;
    Document doc = documentWith(dir, {{10, 0}});
    ASSERT_TRUE(save(doc, dir / "set.adx").saved);
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"p0-puzzle.jpg", "set.adx"}));
    EXPECT_EQ(doc.state.currentFilePath, dir / "set.adx");
}

TEST(Save, AnOpenedFileSavedElsewhereIsTheSameFile) {
    TempDir dir;
    std::vector<PatternSpec> specs(3);
    for (int i = 0; i < 3; ++i) {
        setFieldText(specs[size_t(i)].record.puzzleImagePath, "C:\\pics\\" + std::to_string(i));
        specs[size_t(i)].record.pieceCount = std::int16_t(6 * (i + 1));
        specs[size_t(i)].record.rotation = 1;
        specs[size_t(i)].record.auxWord = std::int16_t(i == 1 ? 100 : 0);
        specs[size_t(i)].puzzle = pictureBytes(300 + size_t(i) * 50, std::uint8_t(i));
        specs[size_t(i)].finished = pictureBytes(i == 2 ? 0 : 90, std::uint8_t(7 * i));
    }
    const Bytes original = buildFile(specs, "secret", 1);
    writeFile(dir / "old.ADX", original);
    Document doc = opened(dir / "old.ADX");
    ASSERT_TRUE(save(doc, dir / "copy.ADX", doc.state.password).saved);
    EXPECT_TRUE(readFile(dir / "copy.ADX") == original);
    // Saving again copies everything out of the file just written, and changes nothing.
    ASSERT_TRUE(save(doc, dir / "copy.ADX", doc.state.password).saved);
    EXPECT_TRUE(readFile(dir / "copy.ADX") == original);
    std::filesystem::remove(dir / "old.ADX");
    ASSERT_TRUE(save(doc, dir / "third.ADX", doc.state.password).saved);
    EXPECT_TRUE(readFile(dir / "third.ADX") == original);
}

TEST(Save, SavingTwiceWritesTheSameBytes) {
    TempDir dir;
    Document doc = documentWith(dir, {{300, 400}, {0, 70}, {90, 0}});
    ASSERT_TRUE(save(doc, dir / "a.ADX").saved);
    const Bytes first = readFile(dir / "a.ADX");
    ASSERT_TRUE(save(doc, dir / "a.ADX").saved);
    EXPECT_TRUE(readFile(dir / "a.ADX") == first);
    // The picture files are no longer needed.
    for (int i = 0; i < 3; ++i) {
        std::filesystem::remove(picturePath(dir, i, 0));
        std::filesystem::remove(picturePath(dir, i, 1));
    }
    ASSERT_TRUE(save(doc, dir / "b.ADX").saved);
    EXPECT_TRUE(readFile(dir / "b.ADX") == first);
}

TEST(Save, OverTheCurrentFileWithOneNewPicture) {
    TempDir dir;
    Document doc = documentWith(dir, {{300, 400}, {50, 0}});
    ASSERT_TRUE(save(doc, dir / "a.ADX").saved);
    // Replace the finished picture of pattern 2 by a new file; all else comes from a.ADX.
    const Bytes fresh = pictureBytes(123, 99);
    writeFile(dir / "new.gif", fresh);
    ASSERT_FALSE(AttachPicture(doc, 1, 1, dir / "new.gif"));
    ASSERT_TRUE(save(doc, dir / "a.ADX").saved);

    const Bytes file = readFile(dir / "a.ADX");
    ASSERT_EQ(file.size(), 20 + 2 * 1154 + 300 + 400 + 50 + 123u);
    const size_t second = 20 + 1154 + 700;
    EXPECT_EQ(Bytes(file.begin() + 1174, file.begin() + 1474), pictureFor(0, 0, 300));
    EXPECT_EQ(Bytes(file.begin() + 1474, file.begin() + 1874), pictureFor(0, 1, 400));
    EXPECT_EQ(Bytes(file.begin() + std::ptrdiff_t(second + 1154),
                    file.begin() + std::ptrdiff_t(second + 1204)),
              pictureFor(1, 0, 50));
    EXPECT_EQ(Bytes(file.end() - 123, file.end()), fresh);
    EXPECT_EQ(storedField(file, second, 533), 123);
    EXPECT_EQ(doc.pattern(1).finishedImageOffset, std::int32_t(second + 1154 + 50));
    EXPECT_EQ(dir.names().size(), 5u) << "no temporary file left";
}

TEST(Save, APictureFileThatGrewOrShrankIsSavedWholeAtItsNewSize) {
    for (const size_t now : {1500u, 400u}) {
        TempDir dir;
        Document doc = documentWith(dir, {{1000, 10}});
        ASSERT_EQ(doc.pattern(0).puzzleImageSize, 1000);
        const Bytes changed = pictureBytes(now, 42);
        writeFile(picturePath(dir, 0, 0), changed);
        ASSERT_TRUE(save(doc, dir / "a.ADX").saved);
        const Bytes file = readFile(dir / "a.ADX");
        ASSERT_EQ(file.size(), 20 + 1154 + now + 10);
        EXPECT_EQ(Bytes(file.begin() + 1174, file.begin() + 1174 + std::ptrdiff_t(now)), changed);
        EXPECT_EQ(storedField(file, 20, 529), std::int32_t(now));
        EXPECT_EQ(storedField(file, 20, 525), std::int32_t(1174 + now));
        EXPECT_EQ(doc.pattern(0).puzzleImageSize, std::int32_t(now));
    }
}

namespace {

// Everything that must hold after a refused save: the same document, the old target
// (or none), no temporary file.
void expectRefused(const SaveResult& r, const Document& before, const Document& after,
                   const TempDir& dir, const std::vector<std::string>& namesBefore,
                   const UserMessage& expected) {
    EXPECT_FALSE(r.saved);
    EXPECT_FALSE(r.cancelled);
    ASSERT_TRUE(r.message);
    EXPECT_EQ(*r.message, expected);
    expectSameDocument(after, before);
    EXPECT_EQ(dir.names(), namesBefore);
}

} // namespace

TEST(Save, APictureThatCannotBeReadWholeRefusesTheSaveBeforeTheTargetIsTouched) {
    struct Case {
        const char* name;
        int pattern, slot;
        void (*damage)(const TempDir&);
    };
    const Case cases[] = {
        {"missing puzzle picture", 1, 0,
         [](const TempDir& d) { std::filesystem::remove(picturePath(d, 1, 0)); }},
        {"missing finished picture", 0, 1,
         [](const TempDir& d) { std::filesystem::remove(picturePath(d, 0, 1)); }},
        {"now empty", 1, 1, [](const TempDir& d) { writeFile(picturePath(d, 1, 1), {}); }},
        {"now a folder", 0, 0,
         [](const TempDir& d) {
             std::filesystem::remove(picturePath(d, 0, 0));
             std::filesystem::create_directory(picturePath(d, 0, 0));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        Document doc = documentWith(dir, {{10, 20}, {30, 40}});
        const Bytes old = pictureBytes(77);
        writeFile(dir / "target.ADX", old);
        c.damage(dir);
        const Document before = doc;
        const auto names = dir.names();
        const SaveResult r = save(doc, dir / "target.ADX");
        expectRefused(r, before, doc, dir, names,
                      messages::PictureUnreadable(c.pattern + 1, c.slot));
        EXPECT_TRUE(readFile(dir / "target.ADX") == old);
    }
    EXPECT_EQ(messages::PictureUnreadable(2, 0).text,
              "ﾊﾟﾀｰﾝ2 のパズル中のＣＧを読み込めません。保存できません。");
    EXPECT_EQ(messages::PictureUnreadable(1, 1).text,
              "ﾊﾟﾀｰﾝ1 の完成した時のＣＧを読み込めません。保存できません。");
    EXPECT_EQ(messages::PictureUnreadable(1, 1).caption, "情報");
    EXPECT_EQ(messages::PictureUnreadable(1, 1).icon, MessageIcon::Error);
}

TEST(Save, APuzzleDataFileCutShortUnderItsPicturesRefusesTheSave) {
    TempDir dir;
    Document doc = documentWith(dir, {{100, 200}, {300, 400}});
    ASSERT_TRUE(save(doc, dir / "a.ADX").saved);
    // Cut the file inside the finished picture of pattern 2.
    std::filesystem::resize_file(dir / "a.ADX", 20 + 2 * 1154 + 300 + 300 + 399);
    const Document before = doc;
    const auto names = dir.names();
    expectRefused(save(doc, dir / "b.ADX"), before, doc, dir, names,
                  messages::PictureUnreadable(2, 1));
    // The current file gone altogether: the first stored picture is named.
    std::filesystem::remove(dir / "a.ADX");
    expectRefused(save(doc, dir / "b.ADX"), before, doc, dir, dir.names(),
                  messages::PictureUnreadable(1, 0));
}

TEST(Save, ASlotWithASizeButNoPathIsRefusedInsteadOfWrittenAsZeros) {
    TempDir dir;
    Document doc = documentWith(dir, {{10, 0}});
    doc.pattern(0).finishedImageSize = 500; // offset 0, empty path
    EXPECT_FALSE(CheckPatternsBeforeSave(doc)) << "the check looks at sizes only";
    const Document before = doc;
    expectRefused(save(doc, dir / "a.ADX"), before, doc, dir, dir.names(),
                  messages::PictureUnreadable(1, 1));
}

TEST(Save, ThePatternWithoutAnyPictureIsNamed) {
    TempDir dir;
    Document doc = documentWith(dir, {{1, 0}, {0, 1}, {0, 0}, {1, 1}, {0, 0}});
    const auto m = CheckPatternsBeforeSave(doc);
    ASSERT_TRUE(m);
    EXPECT_EQ(*m, (UserMessage{"ﾊﾟﾀｰﾝ3 のＣＧが抜けています。保存できません。", "情報",
                               MessageIcon::Error}));
    // The save refuses it as well, before anything is written.
    const Document before = doc;
    expectRefused(save(doc, dir / "a.ADX"), before, doc, dir, dir.names(), *m);

    Document fresh;
    ResetDocument(fresh);
    EXPECT_EQ(CheckPatternsBeforeSave(fresh)->text,
              "ﾊﾟﾀｰﾝ1 のＣＧが抜けています。保存できません。");
    EXPECT_FALSE(CheckPatternsBeforeSave(documentWith(dir, {{0, 3}, {3, 0}})));
}

TEST(Save, RefusalsOfNamesAndSizes) {
    TempDir dir;
    Document doc = documentWith(dir, {{10, 10}});
    const Document before = doc;
    const auto names = dir.names();

    // The temporary name may take 259 bytes, no more.
    const size_t room = 259 - (dir.path().size() + 1) - std::string(".ADX$$$").size();
    const std::string fits = dir / std::string(room, 'n');
    const std::string tooLong = dir / std::string(room + 1, 'n');
    expectRefused(save(doc, tooLong), before, doc, dir, names, messages::SaveNameTooLong());
    EXPECT_EQ(messages::SaveNameTooLong().caption, "情報");

    expectRefused(save(doc, dir / "a", "ABCDEFGHIJKLMNOPQ"), before, doc, dir, names,
                  messages::PasswordTooLong());

    std::filesystem::create_directory(dir / "folder.ADX");
    expectRefused(save(doc, dir / "folder"), before, doc, dir, dir.names(),
                  messages::SaveTargetNotAFile());

    Document ok = doc;
    EXPECT_TRUE(save(ok, fits).saved);
    EXPECT_EQ(ok.state.currentFilePath, fits + ".ADX");
}

TEST(Save, AFileOf2GiBOrMoreIsRefusedBeforeAnythingIsWritten) {
    TempDir dir;
    Document doc = documentWith(dir, {{10, 10}});
    // Sparse files: the check measures them and never reads them.
    std::filesystem::resize_file(picturePath(dir, 0, 0), 1100u << 20);
    std::filesystem::resize_file(picturePath(dir, 0, 1), 1100u << 20);
    const Document before = doc;
    expectRefused(save(doc, dir / "big"), before, doc, dir, dir.names(), messages::FileTooLarge());
}

TEST(Save, ProgressReachesTheTotalAndCanCancel) {
    TempDir dir;
    Document doc = documentWith(dir, {{3u << 20, 100}, {700000, 0}});
    std::vector<std::uint64_t> seen;
    std::uint64_t total = 0;
    ASSERT_TRUE(
        SavePuzzleDataFile(doc, dir / "a.ADX", "", [&](std::uint64_t written, std::uint64_t all) {
            seen.push_back(written);
            total = all;
            return true;
        }).saved);
    const std::uint64_t size = readFile(dir / "a.ADX").size();
    EXPECT_EQ(total, size);
    ASSERT_GE(seen.size(), 4u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), size);

    // Cancelled half way: nothing changes, on disk or in the document.
    const Bytes old = readFile(dir / "a.ADX");
    ASSERT_FALSE(AttachPicture(doc, 1, 1, picturePath(dir, 0, 1)));
    const Document before = doc;
    const auto names = dir.names();
    const SaveResult r =
        SavePuzzleDataFile(doc, dir / "a.ADX", "pw", [](std::uint64_t written, std::uint64_t) {
            return written < (2u << 20);
        });
    EXPECT_FALSE(r.saved);
    EXPECT_TRUE(r.cancelled);
    EXPECT_FALSE(r.message);
    expectSameDocument(doc, before);
    EXPECT_EQ(dir.names(), names);
    EXPECT_TRUE(readFile(dir / "a.ADX") == old);
}

TEST(Save, ALeftoverTemporaryFileIsReplacedButNotFollowed) {
    TempDir dir;
    Document doc = documentWith(dir, {{10, 10}});
    writeFile(dir / "victim", bytesOf("keep me"));
    std::filesystem::create_symlink(dir / "victim", dir / "a.ADX$$$");
    ASSERT_TRUE(save(doc, dir / "a.ADX").saved);
    EXPECT_EQ(readFile(dir / "victim"), bytesOf("keep me"));
    EXPECT_FALSE(exists(dir / "a.ADX$$$"));

    writeFile(dir / "b.ADX$$$", pictureBytes(50000));
    ASSERT_TRUE(save(doc, dir / "b.ADX").saved);
    EXPECT_TRUE(readFile(dir / "b.ADX") == readFile(dir / "a.ADX"));
    EXPECT_FALSE(exists(dir / "b.ADX$$$"));

    // A folder of that name is not ours to remove.
    std::filesystem::create_directory(dir / "c.ADX$$$");
    const Document before = doc;
    expectRefused(save(doc, dir / "c.ADX"), before, doc, dir, dir.names(),
                  messages::CreateFailed());
}

TEST(Save, TheCurrentFileUnderTheTemporaryNameIsNeverRemoved) {
    TempDir dir;
    Document doc = documentWith(dir, {{10, 10}});
    ASSERT_TRUE(save(doc, dir / "x.ADX$$$").saved); // saved as "x.ADX$$$.ADX"
    std::filesystem::rename(dir / "x.ADX$$$.ADX", dir / "x.ADX$$$");
    doc.state.currentFilePath = dir / "x.ADX$$$";
    const Bytes current = readFile(dir / "x.ADX$$$");
    const Document before = doc;
    expectRefused(save(doc, dir / "x.ADX"), before, doc, dir, dir.names(),
                  messages::CreateFailed());
    EXPECT_TRUE(readFile(dir / "x.ADX$$$") == current);
}
