// adxtool pack, run as a separate process.

#include "cli/cli_fixture.h"
#include "preview/test_pictures.h"

#include <thread>

#include <sys/stat.h>

namespace pdt::test {
namespace {

namespace fs = std::filesystem;

class PackCommand : public CliTest {
  protected:
    void SetUp() override {
        picture("a.jpg", 640, 480, "jpeg");
        picture("b.bmp", 300, 200, "bmp");
        picture("small.jpg", 199, 300, "jpeg");
        write("notes.txt", "not a picture");
        write("empty.jpg", "");
        fs::create_directory(path("folder.jpg"));
        writeEncoded("td.bmp", topDownBmp(gradientPicture(300, 200)));
        writeEncoded("huge.jpg", claimingSize(encodePicture(gradientPicture(64, 48), "jpeg",
                                                            {.progressive = true}),
                                              65000, 65000));
        ASSERT_EQ(mkfifo(path("fifo.jpg").c_str(), 0600), 0);
    }
    ToolRun pack(const std::string& manifest, const std::vector<std::string>& more = {}) const {
        write("manifest.json", manifest);
        std::vector<std::string> args = {"pack", "manifest.json", "-o", "out.ADX"};
        args.insert(args.end(), more.begin(), more.end());
        return run(args);
    }
};

TEST_F(PackCommand, WritesWhatTheEditorSavesForTheSameDocument) {
    const Bytes editor =
        saveAsEditor("editor.ADX",
                     {{"a.jpg", "b.bmp", 12, true, "完成です\r\n次へ", "ｶﾅ"},
                      {"", "a.jpg", 0, false, "", "only finished"},
                      {"td.bmp", "", std::int16_t(offeredCounts(300, 200).front()), false, "", ""}},
                     "ひみつ", true);
    const auto r = pack(R"({
        "password": "ひみつ", "vendorInfo": true,
        "patterns": [
            {"puzzle": "a.jpg", "finished": "b.bmp", "pieceCount": 12, "rotation": true,
             "clearComment": "完成です\r\n次へ", "finishComment": "ｶﾅ"},
            {"finished": "a.jpg", "finishComment": "only finished"},
            {"puzzle": "./td.bmp"}
        ]})");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(read("out.ADX"), editor);
}

TEST_F(PackCommand, TakesTheRecordedPathsGivenAndDefaultsForTheRest) {
    const auto r = pack(R"({"patterns": [{"puzzle": "a.jpg", "finished": "b.bmp",
        "puzzlePath": "C:\\写真\\表.jpg", "finishedPath": "D:\\b.bmp"}]})");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Bytes file = read("out.ADX");
    // Without a pieceCount: the smallest offered; without rotation, comments, password,
    // vendorInfo: none. Without a recorded path the absolute one is recorded, as above.
    PatternSpec expected{recordWith("C:\\写真\\表.jpg", "D:\\b.bmp", 6), read("a.jpg"),
                         read("b.bmp")};
    EXPECT_EQ(file, buildFile({expected}));
}

TEST_F(PackCommand, RefusesWhatTheEditorWouldNotSaveOrIsNoManifest) {
    const std::string fullComment(256, 'c');
    std::string many = R"({"patterns": [)";
    for (int i = 0; i < 201; ++i)
        many += std::string(i ? "," : "") + R"({"puzzle": "a.jpg"})";
    many += "]}";
    const auto one = [](const std::string& fields) {
        return R"({"patterns": [{)" + fields + "}]}";
    };
    const std::pair<std::string, std::string> cases[] = {
        {one(R"("puzzle": "missing.jpg")"), "missing.jpg"},
        {one(R"("finished": "folder.jpg")"), "folder.jpg"},
        {one(R"("finished": "fifo.jpg")"), "開けませんでした。 通常のファイルではありません。"},
        {one(R"("puzzle": "huge.jpg")"), "(65000 x 65000) is too large"},
        {one(R"("puzzle": "empty.jpg")"), "empty"},
        {one(R"("finished": "notes.txt")"), "not a BMP, JPEG or GIF picture"},
        {one(R"("puzzle": "small.jpg")"), "under 200 pixels"},
        {one(R"("puzzle": "a.jpg", "pieceCount": 13)"), "pieceCount 13 is not offered"},
        {one(R"("puzzle": "a.jpg", "clearComment": ")" + fullComment + "c\""), "257 bytes"},
        {one(R"("puzzle": "a.jpg", "finishComment": "絵文字😀")"), "code page 932"},
        {one(R"("puzzle": "a.jpg", "clearComment": "a\u0000b")"), "NUL"},
        {one(R"("puzzle": "a.jpg", "puzzlePath": ")" + std::string(257, 'p') + "\""), "puzzlePath"},
        {one(R"("puzzle": "a.jpg", "puzzlePath": "")"), "must not be empty"},
        {one(R"("puzzle": "a", "finished": "")"), "must not be empty"},
        {R"({"password": "12345678901234567", "patterns": [{"puzzle": "a.jpg"}]})", "17 bytes"},
        {R"({"password": "é", "patterns": [{"puzzle": "a.jpg"}]})", "code page 932"},
        {R"({"password": "two words", "patterns": [{"puzzle": "a.jpg"}]})", "space"},
        {many, "at most 200 patterns"},
        {R"({"patterns": [{"puzzle": "a.jpg"}, {"finished": "b.bmp", "clearComment": ")" +
             fullComment + R"("}, {"puzzle": "small.jpg"}]})",
         "pattern 3"},
        // The shape of the manifest.
        {"", "not valid JSON"},
        {R"({"patterns": [{"puzzle": "a.jpg"},)", "not valid JSON"},
        {"[]", "must be a JSON object"},
        {"{}", "\"patterns\" must be an array"},
        {R"({"patterns": []})", "is empty"},
        {R"({"patterns": [{"puzzle": "a.jpg"}], "vendor": true})", "unknown field \"vendor\""},
        {one(R"("puzzle": "a.jpg", "piececount": 6)"), "unknown field \"piececount\""},
        {one(R"("clearComment": "no picture")"), "pattern 1: needs a puzzle or a finished"},
        {R"({"patterns": [7]})", "pattern 1: must be an object"},
        {one(R"("puzzle": 3)"), "\"puzzle\" must be a string"},
        {one(R"("puzzle": "a.jpg", "pieceCount": 6.5)"), "whole number"},
        {one(R"("puzzle": "a.jpg", "pieceCount": "6")"), "whole number"},
        {one(R"("puzzle": "a.jpg", "pieceCount": 32768)"), "whole number"},
        {one(R"("puzzle": "a.jpg", "rotation": 2)"), "true or false"},
        {one(R"("puzzle": "a.jpg", "clearComment": null)"), "must be a string"},
        {R"({"password": 1234, "patterns": [{"puzzle": "a.jpg"}]})",
         "\"password\" must be a string"},
        {R"({"vendorInfo": "yes", "patterns": [{"puzzle": "a.jpg"}]})", "true or false"},
    };
    write("manifest.json", "");
    const auto before = tree();
    for (const auto& [manifest, reason] : cases) {
        SCOPED_TRACE(manifest.substr(0, 100));
        const auto r = pack(manifest);
        expectOneLineFailure(r, 1);
        EXPECT_NE(r.err.find(reason), std::string::npos) << r.err;
        EXPECT_EQ(tree(), before);
    }
    for (const char* manifest : {"no-such-manifest.json", "fifo.jpg"})
        expectOneLineFailure(run({"pack", manifest, "-o", "out.ADX"}), 1);
}

TEST_F(PackCommand, AnOutputThatNamesAFolderIsAUsageError) {
    write("manifest.json", R"({"patterns": [{"puzzle": "a.jpg"}]})");
    fs::create_directory(path("sub"));
    const auto before = tree();
    for (const char* output : {"sub/", "sub", ".", "sub/..", "folder.jpg"}) {
        SCOPED_TRACE(output);
        const auto r = run({"pack", "manifest.json", "-o", output});
        expectOneLineFailure(r, 2);
        EXPECT_NE(r.err.find("names a folder"), std::string::npos) << r.err;
        EXPECT_EQ(tree(), before);
    }
}

// Runs at once writing one target: without --force exactly one writes it and the others
// find it there; with --force all succeed. Either way the file is whole and no temporary
// file stays.
TEST_F(PackCommand, ParallelRunsToOneTarget) {
    write("manifest.json", R"({"patterns": [{"puzzle": "a.jpg", "finished": "b.bmp"}]})");
    ASSERT_EQ(run({"pack", "manifest.json", "-o", "alone.ADX"}).exitCode, 0);
    for (const bool force : {false, true}) {
        SCOPED_TRACE(force ? "--force" : "without --force");
        std::vector<ToolRun> runs(6);
        std::vector<std::thread> threads;
        for (auto& r : runs)
            threads.emplace_back([&] {
                std::vector<std::string> args = {"pack", "manifest.json", "-o", "out.ADX"};
                if (force)
                    args.push_back("--force");
                r = run(args);
            });
        for (auto& t : threads)
            t.join();
        int succeeded = 0;
        for (const ToolRun& r : runs) {
            if (r.exitCode == 0) {
                ++succeeded;
                continue;
            }
            expectOneLineFailure(r, 1);
            EXPECT_NE(r.err.find("exists; --force replaces it"), std::string::npos) << r.err;
        }
        EXPECT_EQ(succeeded, force ? 6 : 1);
        EXPECT_EQ(read("out.ADX"), read("alone.ADX"));
        for (const auto& name : tree())
            EXPECT_FALSE(name.ends_with("$$$")) << name;
    }
}

// Past a file-size limit the write fails with its reason, on one line; the signal that
// would end the tool without a word is ignored.
TEST_F(PackCommand, AFileSizeLimitIsReportedAndLeavesNothing) {
    write("manifest.json", R"({"patterns": [{"puzzle": "a.jpg", "finished": "b.bmp"}]})");
    const auto before = tree();
    ToolOptions limited;
    limited.fileSize = 5000;
    const auto r = run({"pack", "manifest.json", "-o", "out.ADX"}, {}, limited);
    expectOneLineFailure(r, 1);
    EXPECT_NE(r.err.find("ファイルの書き込みに失敗しました。 ファイルが大きすぎます。"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(tree(), before);
}

TEST_F(PackCommand, NamesTheFileAsTheEditorDoesAndReplacesOnlyWithForce) {
    write("set.ADX", "old file");
    const std::string manifest = R"({"patterns": [{"puzzle": "a.jpg"}]})";
    write("manifest.json", manifest);
    const auto refused = run({"pack", "manifest.json", "-o", "set"});
    expectOneLineFailure(refused, 1);
    EXPECT_NE(refused.err.find("--force"), std::string::npos) << refused.err;
    EXPECT_EQ(read("set.ADX"), bytesOf("old file"));

    const auto forced = run({"pack", "manifest.json", "-o", "set", "--force"});
    ASSERT_EQ(forced.exitCode, 0) << forced.err;
    EXPECT_NE(forced.out.find("set.ADX"), std::string::npos) << forced.out;
    ASSERT_EQ(run({"pack", "manifest.json", "-o", "lower.adx"}).exitCode, 0);
    EXPECT_EQ(read("set.ADX"), read("lower.adx"));
    EXPECT_FALSE(has("set") || has("lower.adx.ADX"));
}

} // namespace
} // namespace pdt::test
