// adxtool pack, run as a separate process.

#include "cli/cli_fixture.h"
#include "preview/picture_conversion.h"
#include "preview/test_pictures.h"

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
        write("empty.jpg", "");
        fs::create_directory(path("folder.jpg"));
        ASSERT_EQ(mkfifo(path("fifo.jpg").c_str(), 0600), 0);
    }
    ToolRun pack(const std::string& manifest) const {
        write("manifest.json", manifest);
        return run({"pack", "manifest.json", "-o", "out.ADX"});
    }
};

// A whole extracted set packs back into its bytes (extract_command_test.cpp);
// here what a manifest may leave out.
TEST_F(PackCommand, TakesTheRecordedPathsGivenAndDefaultsForTheRest) {
    const auto r = pack(R"({"patterns": [{"puzzle": "a.jpg", "finished": "b.bmp",
        "puzzlePath": "C:\\写真\\表.jpg", "finishedPath": "D:\\b.bmp"}, {"puzzle": "./b.bmp"}]})");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // Without a pieceCount: the smallest offered; without rotation, comments, password,
    // vendorInfo: none; without a recorded path, the picture's absolute path.
    EXPECT_EQ(read("out.ADX"), buildFile({{recordWith("C:\\写真\\表.jpg", "D:\\b.bmp", 6),
                                           read("a.jpg"), read("b.bmp")},
                                          {recordWith(path("b.bmp"), "", 6), read("b.bmp"), {}}}));
}

TEST_F(PackCommand, RefusesWhatTheEditorWouldNotSaveOrIsNoManifest) {
    const std::string fullComment(256, 'c');
    std::string many = R"({"patterns": [{"puzzle": "a.jpg"})";
    for (int i = 1; i < 201; ++i)
        many += R"(, {"puzzle": "a.jpg"})";
    const auto one = [](const std::string& fields) {
        return R"({"patterns": [{)" + fields + "}]}";
    };
    const std::pair<std::string, std::string> cases[] = {
        {one(R"("puzzle": "missing.jpg")"), "missing.jpg"},
        {one(R"("finished": "fifo.jpg")"), "開けませんでした。 通常のファイルではありません。"},
        {one(R"("puzzle": "empty.jpg")"), "empty"},
        {one(R"("puzzle": "small.jpg")"), "under 200 pixels"},
        {one(R"("puzzle": "a.jpg", "pieceCount": 13)"), "pieceCount 13 is not offered"},
        {one(R"("puzzle": "a.jpg", "clearComment": ")" + fullComment + "c\""), "257 bytes"},
        {one(R"("puzzle": "a.jpg", "finishComment": "絵文字😀")"), "code page 932"},
        {one(R"("puzzle": "a.jpg", "clearComment": "a\u0000b")"), "NUL"},
        {one(R"("puzzle": "a.jpg", "puzzlePath": "")"), "must not be empty"},
        {one(R"("puzzle": "a", "finished": "")"), "must not be empty"},
        {R"({"password": "12345678901234567", "patterns": [{"puzzle": "a.jpg"}]})", "17 bytes"},
        {R"({"password": "two words", "patterns": [{"puzzle": "a.jpg"}]})", "space"},
        {many + "]}", "at most 200 patterns"},
        {R"({"patterns": [{"puzzle": "a.jpg"}, {"finished": "b.bmp", "clearComment": ")" +
             fullComment + R"("}, {"puzzle": "small.jpg"}]})",
         "pattern 3"},
        // The shape of the manifest.
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
        {one(R"("puzzle": "a.jpg", "pieceCount": 32768)"), "whole number"},
        {one(R"("puzzle": "a.jpg", "rotation": 2)"), "true or false"},
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

// The file is named as the editor names it and replaces another only with --force. An
// output that names a folder is a usage error; past a file-size limit the write fails with
// its reason, on one line, as the signal that would end the tool without a word is ignored.
TEST_F(PackCommand, WritesTheFileTheOutputNamesOrNothing) {
    write("manifest.json", R"({"patterns": [{"puzzle": "a.jpg", "finished": "b.bmp"}]})");
    write("set.ADX", "old file");
    fs::create_directory(path("sub"));
    const auto before = tree();
    for (const char* output : {"sub/", "sub", ".", "sub/..", "folder.jpg"}) {
        SCOPED_TRACE(output);
        const auto r = run({"pack", "manifest.json", "-o", output});
        expectOneLineFailure(r, 2);
        EXPECT_NE(r.err.find("names a folder"), std::string::npos) << r.err;
    }
    const auto tooLarge = run({"pack", "manifest.json", "-o", "out.ADX"}, {}, "ulimit -f 10");
    expectOneLineFailure(tooLarge, 1);
    EXPECT_NE(tooLarge.err.find("ファイルの書き込みに失敗しました。 ファイルが大きすぎます。"),
              std::string::npos)
        << tooLarge.err;
    const auto refused = run({"pack", "manifest.json", "-o", "set"});
    expectOneLineFailure(refused, 1);
    EXPECT_NE(refused.err.find("set.ADX exists; --force replaces it"), std::string::npos)
        << refused.err;
    EXPECT_EQ(tree(), before);
    EXPECT_EQ(read("set.ADX"), bytesOf("old file"));

    const auto forced = run({"pack", "manifest.json", "-o", "set", "--force"});
    ASSERT_EQ(forced.exitCode, 0) << forced.err;
    ASSERT_EQ(run({"pack", "manifest.json", "-o", "lower.adx"}).exitCode, 0);
    EXPECT_EQ(read("set.ADX"), read("lower.adx"));
    EXPECT_FALSE(has("set") || has("lower.adx.ADX"));
}

// A picture of a format the player does not read is refused naming --convert; with it, it
// is stored as the JPEG the editor converts it to, recorded next to the original unless the
// manifest names a path, and packing again gives the same bytes.
TEST_F(PackCommand, ConvertsOtherFormatsToTheEditorsJpegWhenAsked) {
    picture("shot.png", 320, 240, "png");
    write("manifest.json", R"({"patterns": [{"puzzle": "a.jpg", "finished": "shot.png"},
        {"puzzle": "shot.png", "puzzlePath": "D:\\shot.jpg"}]})");
    const auto refused = run({"pack", "manifest.json", "-o", "out.ADX"});
    expectOneLineFailure(refused, 1);
    EXPECT_NE(refused.err.find("shot.png is a PNG picture, which the player does not read; "
                               "--convert stores it as a JPEG"),
              std::string::npos)
        << refused.err;
    EXPECT_FALSE(has("out.ADX"));

    ASSERT_TRUE(preview::convertToJpeg(path("shot.png"), path("expected.jpg")).done);
    const Bytes jpeg = read("expected.jpg");
    for (const char* out : {"one.ADX", "two.ADX"}) {
        const auto r = run({"pack", "manifest.json", "-o", out, "--convert"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
    }
    EXPECT_EQ(read("one.ADX"),
              buildFile({{recordWith(path("a.jpg"), path("shot.jpg"), 6), read("a.jpg"), jpeg},
                         {recordWith("D:\\shot.jpg", "", 6), jpeg, {}}}));
    EXPECT_EQ(read("two.ADX"), read("one.ADX"));
}

// A photo tagged to be turned is stored as it is, which list --json and verify mention, or
// with --upright as the editor stores it upright, under its own path.
TEST_F(PackCommand, StoresTaggedPhotosUprightWhenAsked) {
    const QByteArray tagged = withExifOrientation(pictureFileBytes(640, 480, "jpeg"), 6);
    write("tagged.jpg", Bytes(tagged.begin(), tagged.end()));
    ASSERT_TRUE(preview::storeUpright(path("tagged.jpg"), path("expected.jpg")).done);
    write("manifest.json", R"({"patterns": [{"puzzle": "tagged.jpg"}]})");
    ASSERT_EQ(run({"pack", "manifest.json", "-o", "as-is.ADX"}).exitCode, 0);
    ASSERT_EQ(run({"pack", "manifest.json", "-o", "up.ADX", "--upright"}).exitCode, 0);
    EXPECT_EQ(read("as-is.ADX"),
              buildFile({{recordWith(path("tagged.jpg"), "", 6), read("tagged.jpg"), {}}}));
    EXPECT_EQ(read("up.ADX"),
              buildFile({{recordWith(path("tagged.jpg"), "", 6), read("expected.jpg"), {}}}));

    const auto listed = run({"list", "as-is.ADX", "--json"});
    EXPECT_NE(listed.out.find(R"("orientation": 6)"), std::string::npos) << listed.out;
    EXPECT_EQ(run({"list", "up.ADX", "--json"}).out.find("orientation"), std::string::npos);
    const auto verified = run({"verify", "as-is.ADX"});
    EXPECT_EQ(verified.exitCode, 0) << verified.err;
    EXPECT_NE(verified.out.find("note: pattern 1: the puzzle picture has EXIF orientation 6"),
              std::string::npos)
        << verified.out;
    EXPECT_EQ(run({"verify", "up.ADX"}).out.find("note:"), std::string::npos);
}

} // namespace
} // namespace pdt::test
