#include "puzzle/save.h"

#include "puzzle/file_system.h"
#include "puzzle/messages.h"
#include "puzzle/open.h"
#include "support/documents.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

using namespace pdt::puzzle;
using namespace pdt::test;
namespace fs = std::filesystem;

struct LayoutCase {
    const char* name;
    std::vector<PictureSizes> patterns;
    std::string password;
    std::uint8_t vendorFlag;
    size_t rewritten; // not 0: the first puzzle picture's file now holds this many bytes
    std::uint64_t fileSize;
    std::vector<std::array<std::int32_t, 3>> records; // recordOffset, puzzle, finished
};

class SaveLayout : public testing::TestWithParam<LayoutCase> {};

TEST_P(SaveLayout, WritesTheHandComputedBytesAndTheSameBytesAgain) {
    const LayoutCase& c = GetParam();
    TempDir dir;
    Document doc = documentWith(dir, c.patterns);
    doc.state.vendorFlag = c.vendorFlag;
    if (c.rewritten)
        writeFile(picturePath(dir, 0, 0), pictureBytes(c.rewritten, 42));
    const Bytes expected = expectedFileFor(doc, c.password);
    const SaveResult r = SavePuzzleDataFile(doc, dir / "set", c.password);
    ASSERT_TRUE(r.saved); // its message is checked with the faults (save_faults_test.cpp)
    const Bytes file = readFile(dir / "set.ADX");
    EXPECT_EQ(file.size(), c.fileSize);
    EXPECT_TRUE(file == expected);
    for (const auto& [record, puzzle, finished] : c.records) {
        EXPECT_EQ(storedField(file, size_t(record), 517), record);
        EXPECT_EQ(storedField(file, size_t(record), 521), puzzle);
        EXPECT_EQ(storedField(file, size_t(record), 525), finished);
    }
    // The document takes the new file: its name, its password, and the table that opening
    // it gives (offsets, sizes, no source files).
    EXPECT_EQ(doc.state.currentFilePath, dir / "set.ADX");
    EXPECT_EQ(doc.state.password, c.password);
    const ReadResult reopened = ReadPuzzleDataFile(dir / "set.ADX");
    ASSERT_TRUE(reopened.file);
    ASSERT_EQ(reopened.file->walk.records.size(), c.patterns.size());
    for (int i = 0; i < doc.patternCount(); ++i)
        EXPECT_TRUE(reopened.file->walk.records[size_t(i)] == doc.pattern(i)) << i;

    // Saving again copies every picture out of the file just written: the same bytes,
    // over it and elsewhere, also once the picture files are gone.
    ASSERT_TRUE(SavePuzzleDataFile(doc, dir / "set.ADX", c.password).saved);
    EXPECT_TRUE(readFile(dir / "set.ADX") == file);
    for (const auto& name : dir.names())
        if (name != "set.ADX")
            fs::remove(dir / name);
    ASSERT_TRUE(SavePuzzleDataFile(doc, dir / "other.ADX", c.password).saved);
    EXPECT_TRUE(readFile(dir / "other.ADX") == file);
}

// Header bytes and passwords are checked in format_test.cpp; here where everything goes.
INSTANTIATE_TEST_SUITE_P(
    Cases, SaveLayout,
    testing::Values(
        LayoutCase{"OnePattern", {{1000, 2000}}, "", 0, 0, 4174, {{20, 1174, 2174}}},
        LayoutCase{"ThreePatternsMixed",
                   {{10, 20}, {0, 30}, {40, 0}},
                   "ab",
                   1,
                   0,
                   3582,
                   {{20, 1174, 1184}, {1204, 2358, 2358}, {2388, 3542, 3582}}},
        LayoutCase{
            "SixteenBytePassword", {{5, 5}}, "ABCDEFGHIJKLMNOP", 0, 0, 1184, {{20, 1174, 1179}}},
        LayoutCase{"TwoHundredPatterns",
                   std::vector<PictureSizes>(200, {3, 0}),
                   "",
                   0,
                   0,
                   231420,
                   {{20, 1174, 1177}, {1177, 2331, 2334}}},
        // A picture file that grew or shrank since it was attached is saved whole.
        LayoutCase{"APictureThatGrew", {{1000, 10}}, "", 0, 1500, 2684, {{20, 1174, 2674}}},
        LayoutCase{"APictureThatShrank", {{1000, 10}}, "", 0, 400, 1584, {{20, 1174, 1574}}}),
    [](const testing::TestParamInfo<LayoutCase>& info) { return info.param.name; });

TEST(Save, TargetNames) {
    const std::pair<const char*, const char*> names[] = {
        {"set1", "set1.ADX"}, {"set1.AdX", "set1.AdX"}, {"DX", "DX.ADX"},
        {"ADX", "ADX.ADX"},   {".ADX", ".ADX"},         {"set.adx.txt", "set.adx.txt.ADX"},
    };
    for (const auto& [chosen, target] : names)
        EXPECT_EQ(TargetNameFor(chosen), target);

    // The longest name whose temporary name fits 259 bytes; one more is refused below.
    TempDir dir;
    Document doc = documentWith(dir, {{10, 0}});
    const std::string longest(259 - (dir.path().size() + 1) - std::string(".ADX$$$").size(), 'n');
    ASSERT_TRUE(SavePuzzleDataFile(doc, dir / longest, "").saved);
    EXPECT_TRUE(exists(dir / (longest + ".ADX")));
}

// A document of two patterns whose pictures come from their own files, and an old
// target.ADX: a refused or cancelled (no message) save must leave the document and every
// file as they were.
struct Refusal {
    TempDir dir;
    Document doc = documentWith(dir, {{10, 20}, {30, 40}});
    Refusal() { writeFile(dir / "target.ADX", pictureBytes(77)); }

    void expect(const std::optional<UserMessage>& expected, const std::string& name = "target.ADX",
                std::string_view password = {}, const SaveProgress& progress = {}) {
        const Document before = doc;
        const auto files = filesIn(dir);
        const SaveResult r = SavePuzzleDataFile(doc, dir / name, password, progress);
        EXPECT_FALSE(r.saved);
        EXPECT_EQ(r.cancelled, !expected);
        EXPECT_EQ(r.message, expected);
        expectSameDocument(doc, before);
        EXPECT_TRUE(filesIn(dir) == files);
    }
};

TEST(Save, APictureThatCannotBeReadWholeRefusesTheSaveBeforeTheTargetIsTouched) {
    // The text as the user has always seen it.
    const auto unreadable = [](int pattern, int slot) {
        return UserMessage{"ﾊﾟﾀｰﾝ" + std::to_string(pattern) + " の" +
                               (slot == 0 ? "パズル中のＣＧ" : "完成した時のＣＧ") +
                               "を読み込めません。保存できません。",
                           "情報", MessageIcon::Error};
    };
    {
        Refusal t; // each picture made unreadable in its own way, from the last one back
        t.doc.pattern(1).sourceFiles[1].clear(); // a size, but neither path nor offset
        t.doc.pattern(1).finishedImagePath = {};
        t.expect(unreadable(2, 1));
        fs::remove(picturePath(t.dir, 1, 0));
        t.expect(unreadable(2, 0));
        writeFile(picturePath(t.dir, 0, 1), {}); // now empty
        t.expect(unreadable(1, 1));
        fs::remove(picturePath(t.dir, 0, 0));
        fs::create_directory(picturePath(t.dir, 0, 0)); // now a folder
        t.expect(unreadable(1, 0));
    }
    {
        Refusal t; // stored in the current file, which is then cut short
        ASSERT_TRUE(SavePuzzleDataFile(t.doc, t.dir / "a.ADX", "").saved);
        fs::resize_file(t.dir / "a.ADX", fs::file_size(t.dir / "a.ADX") - 1);
        t.expect(unreadable(2, 1));
    }
}

TEST(Save, OtherRefusalsAndACancel) {
    Refusal t;
    // Cancelled half way in the editor's progress dialog: no message is due.
    t.expect(std::nullopt, "target.ADX", {},
             [](std::uint64_t written, std::uint64_t total) { return written < total / 2; });
    t.expect(messages::PasswordTooLong(), "target.ADX", "ABCDEFGHIJKLMNOPQ");
    t.expect(messages::SaveNameTooLong(),
             std::string(259 - t.dir.path().size() - 1 - std::string(".ADX$$$").size() + 1, 'n'));
    fs::create_directory(t.dir / "folder.ADX");
    t.expect(messages::SaveTargetNotAFile(), "folder");
    // Names of folders, which would otherwise become a hidden ".ADX" in them.
    fs::create_directory(t.dir / "sub");
    for (const char* folder : {"sub/", ".", "sub/.."})
        t.expect(messages::SaveTargetNotAFile(), folder);
    // 2 GiB or more, measured without reading the (sparse) picture files.
    fs::resize_file(picturePath(t.dir, 0, 0), 1100u << 20);
    fs::resize_file(picturePath(t.dir, 0, 1), 1100u << 20);
    t.expect(messages::FileTooLarge(), "big");
}

// Writers saving different documents to one target at once: each has its own temporary
// file, so what lands at the target is always one writer's complete file, also while they
// run. Replacing, every writer succeeds; keeping an existing file, exactly one does and
// the others say why.
TEST(Save, ParallelWritersNeverLeaveAPartFileAtTheTarget) {
    constexpr int kWriters = 8;
    for (const ExistingTarget existing : {ExistingTarget::Replace, ExistingTarget::Keep}) {
        SCOPED_TRACE(existing == ExistingTarget::Replace ? "replace" : "keep");
        TempDir dir;
        const std::string target = dir / "set.ADX";
        std::vector<std::unique_ptr<TempDir>> pictures;
        std::vector<Document> docs;
        std::vector<Bytes> files;
        for (int k = 0; k < kWriters; ++k) {
            pictures.push_back(std::make_unique<TempDir>());
            docs.push_back(documentWith(*pictures.back(), {{(2u << 20) + 1000u * k, 5000}}));
            files.push_back(expectedFileFor(docs.back(), "pw" + std::to_string(k)));
        }
        const auto whose = [&](const Bytes& b) {
            return int(std::find(files.begin(), files.end(), b) - files.begin());
        };

        std::atomic<bool> done{false};
        std::atomic<int> partial{0};
        std::thread watcher([&] {
            while (!done)
                if (const Bytes now = readFile(target); !now.empty() && whose(now) == kWriters)
                    ++partial;
        });
        std::vector<SaveResult> results(kWriters);
        std::vector<std::thread> writers;
        for (int k = 0; k < kWriters; ++k)
            writers.emplace_back([&, k] {
                results[size_t(k)] =
                    SavePuzzleDataFile(docs[size_t(k)], target, "pw" + std::to_string(k), {},
                                       NativeFileSystem(), existing);
            });
        for (auto& w : writers)
            w.join();
        done = true;
        watcher.join();

        EXPECT_EQ(partial, 0);
        const int landed = whose(readFile(target));
        ASSERT_LT(landed, kWriters);
        EXPECT_TRUE(results[size_t(landed)].saved);
        EXPECT_EQ(dir.names(), std::vector<std::string>{"set.ADX"});
        const auto saved = std::count_if(results.begin(), results.end(),
                                         [](const SaveResult& r) { return r.saved; });
#ifdef _WIN32
        // Windows refuses to replace a file someone holds open (the watcher): such a writer
        // fails and says why.
        if (existing == ExistingTarget::Replace) {
            EXPECT_GE(saved, 1);
            for (const SaveResult& r : results)
                EXPECT_TRUE(r.saved || r.message);
            continue;
        }
#endif
        EXPECT_EQ(saved, existing == ExistingTarget::Replace ? kWriters : 1);
        for (const SaveResult& r : results)
            if (!r.saved) {
                EXPECT_EQ(r.message, messages::WriteFailed(EEXIST));
            }
    }
}
