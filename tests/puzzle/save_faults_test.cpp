// Saves broken at every step: through the file-system seam, and by a process that dies at
// an exact byte of the new file.
#include "puzzle/messages.h"
#include "puzzle/save.h"
#include "support/documents.h"
#include "support/fault_file_system.h"

#include <gtest/gtest.h>

#include <random>

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace pdt::puzzle;
using namespace pdt::test;

namespace {

// A saved document that then got one new picture and settings, so that a save reads from
// the current file (the target itself) and from a picture file.
struct Scene {
    TempDir dir;
    std::string target = dir / "set.ADX";
    Document doc = documentWith(dir, {{3000, 2000}, {0, 1500}, {2500, 0}});
    Bytes oldFile;
    Bytes newFile;

    Scene() {
        Document unsaved = doc;
        EXPECT_TRUE(SavePuzzleDataFile(doc, target, "old").saved);
        oldFile = readFile(target);
        writeFile(dir / "new.jpg", pictureBytes(2222, 77));
        for (Document* d : {&doc, &unsaved}) {
            EXPECT_FALSE(AttachPicture(*d, 1, 0, dir / "new.jpg"));
            d->state.vendorFlag = 1;
        }
        // The picture files still hold what the old file stores.
        newFile = expectedFileFor(unsaved, "new");
    }
};

// The temporary files in the scene's folder: names ending in "$$$".
int temporaries(const Scene& s) {
    const auto names = s.dir.names();
    return int(std::count_if(names.begin(), names.end(),
                             [](const std::string& n) { return n.ends_with("$$$"); }));
}

// What must hold after any attempt: the target is the old file or the complete new one,
// success is reported exactly when it is the new one, the document moved with it, and
// no temporary file is left.
void expectOldOrNew(const Scene& s, const Document& before, const Document& after,
                    const SaveResult& r) {
    const Bytes now = readFile(s.target);
    const bool isNew = now == s.newFile;
    EXPECT_TRUE(isNew || now == s.oldFile) << "target is neither the old nor the new file";
    EXPECT_EQ(r.saved, isNew);
    EXPECT_EQ(temporaries(s), 0);
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
        const bool known = unreadable ||
                           r.message->text.starts_with("ファイルの作成に失敗しました。\n") ||
                           r.message->text.starts_with("ファイルの書き込みに失敗しました。\n");
        EXPECT_TRUE(known) << r.message->text;
        EXPECT_EQ(r.message->caption, unreadable ? "情報" : "確認");
        expectSameDocument(after, before);
    }
}

} // namespace

TEST(SaveFaults, AFaultAtAnyCallLeavesTheOldFileOrTheNewOne) {
    FaultFileSystem clean;
    {
        Scene s;
        ASSERT_TRUE(SavePuzzleDataFile(s.doc, s.target, "new", {}, clean).saved);
        EXPECT_TRUE(readFile(s.target) == s.newFile);
    }
    const int calls = clean.calls();
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

// One kind of call fails every time: the save fails at once with the reason (it never
// retries, which after a failed fsync could report lost data as written), except for the
// flush of the folder after the rename, when the new file is already in place.
TEST(SaveFaults, AFailingStepIsReportedWithItsReasonAndNeverRetried) {
    using Op = FaultFileSystem::Op;
    const std::string failed = "ファイルの書き込みに失敗しました。\n";
    const struct {
        Op op;
        int error;
        std::string expected; // empty: saved
    } cases[] = {
        {Op::Write, ENOSPC, failed + "ディスクの空き容量が足りません。"},
        {Op::Write, 9999, failed + "エラーが発生しました（エラー番号 9999）。"},
        {Op::Sync, EIO, failed + "入出力エラーが発生しました。"},
        {Op::Rename, EACCES, failed + "アクセスが拒否されました。"},
        {Op::Close, EDQUOT, failed + "ディスクの使用量の上限を超えました。"},
        {Op::Create, EACCES, "ファイルの作成に失敗しました。\nアクセスが拒否されました。"},
        {Op::SyncDirectory, EIO, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        Scene s;
        FaultFileSystem fs;
        fs.failEvery(c.op, c.error);
        const Document before = s.doc;
        const SaveResult r = SavePuzzleDataFile(s.doc, s.target, "new", {}, fs);
        expectOldOrNew(s, before, s.doc, r);
        EXPECT_EQ(r.saved, c.expected.empty());
        if (!r.saved) {
            EXPECT_EQ(r.message, (UserMessage{c.expected, "確認", MessageIcon::Error}));
        }
        if (c.op != Op::Close) { // closing also releases the files read
            EXPECT_EQ(std::count(fs.log().begin(), fs.log().end(), c.op), 1);
        }
    }
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
    // The temporary file could not be removed; the next save is not hindered by it.
    EXPECT_EQ(temporaries(s), 1);
    EXPECT_TRUE(SavePuzzleDataFile(s.doc, s.target, "new").saved);
    EXPECT_EQ(temporaries(s), 1);
    EXPECT_TRUE(readFile(s.target) == s.newFile);
}

// Windows has neither fork nor a file size limit.
#ifndef _WIN32

// Saves in a child process whose files may not grow beyond limit bytes; its wait status.
// (Both programs ignore SIGXFSZ, and then the save fails with its reason: adxtool's pack
// test checks that.)
int saveUnderFileSizeLimit(Scene& s, std::int64_t limit) {
    const pid_t child = ::fork();
    if (child == 0) {
        const rlimit rl{rlim_t(limit), rlim_t(limit)};
        ::setrlimit(RLIMIT_FSIZE, &rl);
        ::_exit(SavePuzzleDataFile(s.doc, s.target, "new").saved ? 0 : 3);
    }
    int status = -1;
    EXPECT_EQ(::waitpid(child, &status, 0), child);
    return status;
}

// A child killed by SIGXFSZ mid-save, at each record boundary +-1 and at random offsets of
// the new file: the target must still be the old file. The crash leaves its temporary
// file, which no later save can tell from that of a writer still running.
TEST(SaveFaults, ACrashAtAnExactByteOfTheNewFileLeavesTheOldFile) {
    const Bytes newFile = Scene().newFile;
    const std::int64_t newSize = std::int64_t(newFile.size());
    std::vector<std::int64_t> limits = {0, 1, newSize - 1};
    for (size_t at = 20; at < newFile.size();
         at += size_t(1154 + storedField(newFile, at, 529) + storedField(newFile, at, 533)))
        for (const std::int64_t d : {-1, 0, 1})
            limits.insert(limits.end(), {std::int64_t(at) + d, std::int64_t(at) + 1154 + d});
    std::mt19937 random(20240611);
    for (int i = 0; i < 12; ++i)
        limits.push_back(std::uniform_int_distribution<std::int64_t>(0, newSize - 1)(random));

    for (const std::int64_t limit : limits) {
        SCOPED_TRACE("limit " + std::to_string(limit));
        Scene s;
        const int status = saveUnderFileSizeLimit(s, limit);
        ASSERT_TRUE(WIFSIGNALED(status)) << "wait status " << status;
        EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
        EXPECT_TRUE(readFile(s.target) == s.oldFile);
        EXPECT_EQ(temporaries(s), 1);
    }

    // With room for exactly the new file the child completes the save.
    Scene s;
    EXPECT_EQ(saveUnderFileSizeLimit(s, newSize), 0);
    EXPECT_TRUE(readFile(s.target) == s.newFile);
}

#endif
