// Saves broken at every step: through the file-system seam, by a process that dies at
// an exact byte of the new file, and by a folder without permission.
#include "puzzle/messages.h"
#include "puzzle/open.h"
#include "puzzle/save.h"
#include "support/documents.h"
#include "support/fault_file_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace pdt::puzzle;
using namespace pdt::test;

namespace {

// A document that was opened from dir/set.ADX and then got one new picture, so that a
// save reads from the current file (the target itself) and from a picture file.
struct Scene {
    TempDir dir;
    Document doc;
    Bytes oldFile;
    Bytes newFile;
    std::string target;

    Scene() {
        target = dir / "set.ADX";
        doc = documentWith(dir, {{3000, 2000}, {0, 1500}, {2500, 0}});
        EXPECT_TRUE(SavePuzzleDataFile(doc, target, "old").saved);
        oldFile = readFile(target);
        writeFile(dir / "new.jpg", pictureBytes(2222, 77));
        EXPECT_FALSE(AttachPicture(doc, 1, 0, dir / "new.jpg"));
        doc.state.vendorFlag = 1;
        // What the save must write: the old file's pictures and the new one.
        std::vector<PatternSpec> specs;
        for (int i = 0; i < 3; ++i) {
            PatternSpec s;
            s.record = doc.pattern(i);
            for (int slot = 0; slot < 2; ++slot) {
                Bytes& out = slot == 0 ? s.puzzle : s.finished;
                if (!s.record.sourceFiles[size_t(slot)].empty())
                    out = readFile(s.record.sourceFiles[size_t(slot)]);
                else if (slotSize(s.record, slot) > 0)
                    out = Bytes(oldFile.begin() + slotOffset(s.record, slot),
                                oldFile.begin() + slotOffset(s.record, slot) +
                                    slotSize(s.record, slot));
            }
            specs.push_back(std::move(s));
        }
        newFile = buildFile(std::move(specs), "new", 1);
    }

    std::vector<std::string> namesWhenDone() const { return dir.names(); }
};

// What must hold after any attempt: the target is the old file or the complete new one,
// success is reported exactly when it is the new one, the document moved with it, and
// no temporary file is left.
void expectOldOrNew(const Scene& s, const Document& before, const Document& after,
                    const SaveResult& r) {
    const Bytes now = readFile(s.target);
    const bool isNew = now == s.newFile;
    EXPECT_TRUE(isNew || now == s.oldFile) << "target is neither the old nor the new file";
    EXPECT_EQ(r.saved, isNew);
    EXPECT_FALSE(exists(s.target + "$$$"));
    ASSERT_TRUE(r.message);
    if (isNew) {
        EXPECT_EQ(*r.message, messages::Saved());
        EXPECT_EQ(after.state.password, "new");
        EXPECT_EQ(after.pattern(1).puzzleImageSize, 2222);
        EXPECT_TRUE(after.pattern(1).sourceFiles[0].empty());
    } else {
        EXPECT_EQ(r.message->icon, MessageIcon::Error);
        const bool unreadable =
            r.message->text.find("を読み込めません。保存できません。") != std::string::npos;
        const bool known = unreadable || *r.message == messages::CreateFailed() ||
                           r.message->text.starts_with("ファイルの書き込みに失敗しました。\n");
        EXPECT_TRUE(known) << r.message->text;
        EXPECT_EQ(r.message->caption, unreadable ? "情報" : "確認");
        expectSameDocument(after, before);
    }
}

int callsOfACleanSave() {
    Scene s;
    FaultFileSystem fs;
    EXPECT_TRUE(SavePuzzleDataFile(s.doc, s.target, "new", {}, fs).saved);
    EXPECT_TRUE(readFile(s.target) == s.newFile);
    return fs.calls();
}

} // namespace

TEST(SaveFaults, AFaultAtAnyCallLeavesTheOldFileOrTheNewOne) {
    const int calls = callsOfACleanSave();
    ASSERT_GE(calls, 20);
    struct Mode {
        const char* name;
        bool onward;
        bool shortWrites;
        int error;
    };
    const Mode modes[] = {
        {"one call fails", false, false, EIO},
        {"every call from there fails", true, false, ENOSPC},
        {"one short write", false, true, ENOSPC},
        {"permission refused from there", true, false, EACCES},
    };
    for (const Mode& m : modes) {
        int failedSaves = 0;
        for (int k = 1; k <= calls; ++k) {
            SCOPED_TRACE(std::string(m.name) + " at call " + std::to_string(k));
            Scene s;
            FaultFileSystem fs;
            m.onward ? fs.failFrom(k, m.error) : fs.failCall(k, m.error);
            fs.failWritesShort(m.shortWrites);
            const Document before = s.doc;
            const SaveResult r = SavePuzzleDataFile(s.doc, s.target, "new", {}, fs);
            expectOldOrNew(s, before, s.doc, r);
            failedSaves += r.saved ? 0 : 1;
            // Whatever failed, the next save over the same files succeeds.
            if (!r.saved) {
                ASSERT_TRUE(SavePuzzleDataFile(s.doc, s.target, "new").saved);
                EXPECT_TRUE(readFile(s.target) == s.newFile);
            }
        }
        EXPECT_GT(failedSaves, calls / 2) << m.name;
    }
}

TEST(SaveFaults, TheWriteFailureNamesTheReason) {
    struct Case {
        FaultFileSystem::Op op;
        int error;
        std::string expected;
    };
    const Case cases[] = {
        {FaultFileSystem::Op::Write, ENOSPC,
         "ファイルの書き込みに失敗しました。\nディスクの空き容量が足りません。"},
        {FaultFileSystem::Op::Sync, EIO,
         "ファイルの書き込みに失敗しました。\n入出力エラーが発生しました。"},
        {FaultFileSystem::Op::Rename, EACCES,
         "ファイルの書き込みに失敗しました。\nアクセスが拒否されました。"},
        {FaultFileSystem::Op::Close, EDQUOT,
         "ファイルの書き込みに失敗しました。\nディスクの使用量の上限を超えました。"},
        {FaultFileSystem::Op::Create, EACCES, "ファイルの作成に失敗しました。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        Scene s;
        FaultFileSystem fs;
        fs.failEvery(c.op, c.error);
        const Document before = s.doc;
        const SaveResult r = SavePuzzleDataFile(s.doc, s.target, "new", {}, fs);
        EXPECT_FALSE(r.saved);
        ASSERT_TRUE(r.message);
        EXPECT_EQ(r.message->text, c.expected);
        EXPECT_EQ(r.message->caption, "確認");
        expectSameDocument(s.doc, before);
        EXPECT_TRUE(readFile(s.target) == s.oldFile);
        EXPECT_FALSE(exists(s.target + "$$$"));
    }
}

TEST(SaveFaults, AFailedSyncIsNeverRetried) {
    Scene s;
    FaultFileSystem fs;
    fs.failEvery(FaultFileSystem::Op::Sync, EIO);
    EXPECT_FALSE(SavePuzzleDataFile(s.doc, s.target, "new", {}, fs).saved);
    int syncs = 0;
    for (const auto& call : fs.log())
        syncs += call.op == FaultFileSystem::Op::Sync ? 1 : 0;
    EXPECT_EQ(syncs, 1);
}

TEST(SaveFaults, AFolderThatCannotBeFlushedAfterTheRenameStillMeansSaved) {
    Scene s;
    FaultFileSystem fs;
    fs.failEvery(FaultFileSystem::Op::SyncDirectory, EIO);
    const SaveResult r = SavePuzzleDataFile(s.doc, s.target, "new", {}, fs);
    EXPECT_TRUE(r.saved);
    EXPECT_TRUE(readFile(s.target) == s.newFile);
    EXPECT_EQ(s.doc.state.currentFilePath, s.target);
}

TEST(SaveFaults, WhenEvenTheCleanUpFailsTheOldFileStaysAndFailureIsReported) {
    Scene s;
    FaultFileSystem fs;
    fs.spare({});
    fs.failEvery(FaultFileSystem::Op::Write, EIO);
    fs.failEvery(FaultFileSystem::Op::Remove, EIO);
    const Document before = s.doc;
    const SaveResult r = SavePuzzleDataFile(s.doc, s.target, "new", {}, fs);
    EXPECT_FALSE(r.saved);
    expectSameDocument(s.doc, before);
    EXPECT_TRUE(readFile(s.target) == s.oldFile);
    // The temporary file could not be removed; the next save replaces it.
    EXPECT_TRUE(exists(s.target + "$$$"));
    EXPECT_TRUE(SavePuzzleDataFile(s.doc, s.target, "new").saved);
    EXPECT_FALSE(exists(s.target + "$$$"));
    EXPECT_TRUE(readFile(s.target) == s.newFile);
}

// A child process saves under a file-size limit and is killed by SIGXFSZ when the new
// file reaches it: the target must still be the old file and open soundly.
TEST(SaveFaults, ACrashAtAnExactByteOfTheNewFileLeavesTheOldFile) {
    Scene probe;
    const std::int64_t newSize = std::int64_t(probe.newFile.size());
    std::vector<std::int64_t> limits = {0, 1, 19, 20, 21};
    std::int64_t record = 20;
    for (int i = 0; i < 3; ++i) {
        for (const std::int64_t d : {-1, 0, 1})
            limits.push_back(record + d);
        for (const std::int64_t d : {-1, 0, 1})
            limits.push_back(record + std::int64_t(kRecordSize) + d);
        const PatternRecord& r = probe.doc.pattern(i);
        const std::int64_t p = r.sourceFiles[0].empty() ? r.puzzleImageSize : 2222;
        record += std::int64_t(kRecordSize) + p + r.finishedImageSize;
    }
    ASSERT_EQ(record, newSize);
    limits.push_back(newSize - 1);
    std::mt19937 random(20240611);
    for (int i = 0; i < 12; ++i)
        limits.push_back(std::uniform_int_distribution<std::int64_t>(0, newSize - 1)(random));

    for (const std::int64_t limit : limits) {
        SCOPED_TRACE("limit " + std::to_string(limit));
        Scene s;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const rlimit rl{rlim_t(limit), rlim_t(limit)};
            ::setrlimit(RLIMIT_FSIZE, &rl);
            const bool saved = SavePuzzleDataFile(s.doc, s.target, "new").saved;
            ::_exit(saved ? 0 : 3);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << status;
        EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
        EXPECT_TRUE(readFile(s.target) == s.oldFile);
        const ReadResult opened = ReadPuzzleDataFile(s.target);
        ASSERT_TRUE(opened.file);
        EXPECT_TRUE(opened.file->walk.sound());
        EXPECT_EQ(opened.file->walk.records.size(), 3u);
        // The crash left its temporary file; the next save replaces it.
        EXPECT_TRUE(exists(s.target + "$$$"));
        ASSERT_TRUE(SavePuzzleDataFile(s.doc, s.target, "new").saved);
        EXPECT_TRUE(readFile(s.target) == s.newFile);
        EXPECT_FALSE(exists(s.target + "$$$"));
    }

    // With room for exactly the new file the child completes the save.
    Scene s;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlimit rl{rlim_t(newSize), rlim_t(newSize)};
        ::setrlimit(RLIMIT_FSIZE, &rl);
        ::_exit(SavePuzzleDataFile(s.doc, s.target, "new").saved ? 0 : 3);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(readFile(s.target) == s.newFile);
}

TEST(SaveFaults, AFolderWithoutWritePermission) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root ignores folder permissions; the seam tests cover this case";
    Scene s;
    std::filesystem::permissions(s.dir.path(), std::filesystem::perms::owner_read |
                                                   std::filesystem::perms::owner_exec);
    const Document before = s.doc;
    const SaveResult r = SavePuzzleDataFile(s.doc, s.target, "new");
    std::filesystem::permissions(s.dir.path(), std::filesystem::perms::owner_all);
    EXPECT_FALSE(r.saved);
    ASSERT_TRUE(r.message);
    EXPECT_EQ(*r.message, messages::CreateFailed());
    expectSameDocument(s.doc, before);
    EXPECT_TRUE(readFile(s.target) == s.oldFile);
}
