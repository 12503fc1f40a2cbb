// adxtool pack, run as a separate process.

#include "cli/cli_fixture.h"

#include <filesystem>

namespace pdt::test {
namespace {

namespace fs = std::filesystem;

class PackCommand : public CliTest {
  protected:
    void SetUp() override {
        picture("a.jpg", 640, 480, "jpeg");
        picture("b.bmp", 300, 200, "bmp");
        picture("small.jpg", 199, 300, "jpeg");
        writeText("notes.txt", "not a picture");
        writeText("empty.jpg", "");
        fs::create_directory(path("folder.jpg"));
    }
    ToolRun pack(const std::string& manifest, const std::vector<std::string>& more = {}) const {
        writeText("manifest.json", manifest);
        std::vector<std::string> args = {"pack", "manifest.json", "-o", "out.ADX"};
        args.insert(args.end(), more.begin(), more.end());
        return run(args);
    }
};

TEST_F(PackCommand, WritesWhatTheEditorSavesForTheSameDocument) {
    const Bytes editor =
        saveAsEditor(*this, "editor.ADX",
                     {{"a.jpg", "b.bmp", 12, true, "完成です\r\n次へ", "ｶﾅ"},
                      {"", "a.jpg", 0, false, "", "only finished"},
                      {"b.bmp", "", std::int16_t(offeredCounts(300, 200).front()), false, "", ""}},
                     "ひみつ", true);
    const auto r = pack(R"({
        "password": "ひみつ", "vendorInfo": true,
        "patterns": [
            {"puzzle": "a.jpg", "finished": "b.bmp", "pieceCount": 12, "rotation": true,
             "clearComment": "完成です\r\n次へ", "finishComment": "ｶﾅ"},
            {"finished": "a.jpg", "finishComment": "only finished"},
            {"puzzle": "./b.bmp"}
        ]})");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(readFile("out.ADX"), editor);
}

TEST_F(PackCommand, TakesTheSmallestOfferedCountAndTheRecordedPathsGiven) {
    const auto r = pack(R"({"patterns": [{"puzzle": "a.jpg", "finished": "b.bmp",
        "puzzlePath": "C:\\写真\\表.jpg", "finishedPath": "D:\\b.bmp"}]})");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Bytes file = readFile("out.ADX");
    ASSERT_GT(file.size(), 20u + 1154u);
    const auto decoded =
        puzzle::DecodeRecord(std::span<const std::uint8_t, 1154>(file.data() + 20, 1154));
    EXPECT_EQ(decoded.pieceCount, 6);
    EXPECT_EQ(std::string(puzzle::fieldText(decoded.puzzleImagePath)), cp932("C:\\写真\\表.jpg"));
    EXPECT_EQ(std::string(puzzle::fieldText(decoded.finishedImagePath)), "D:\\b.bmp");
    EXPECT_EQ(file.size(), 20 + 1154 + readFile("a.jpg").size() + readFile("b.bmp").size());
}

TEST_F(PackCommand, RefusesWhatTheEditorWouldNotSave) {
    const std::string longComment(257, 'c');
    const std::string fullComment(256, 'c');
    std::string many = R"({"patterns": [)";
    for (int i = 0; i < 201; ++i)
        many += std::string(i ? "," : "") + R"({"puzzle": "a.jpg"})";
    many += "]}";
    const struct {
        std::string manifest;
        std::string reason;
    } cases[] = {
        {R"({"patterns": [{"puzzle": "missing.jpg"}]})", "missing.jpg"},
        {R"({"patterns": [{"finished": "folder.jpg"}]})", "folder.jpg"},
        {R"({"patterns": [{"puzzle": "empty.jpg"}]})", "empty"},
        {R"({"patterns": [{"finished": "notes.txt"}]})", "not a BMP, JPEG or GIF picture"},
        {R"({"patterns": [{"puzzle": "small.jpg"}]})", "under 200 pixels"},
        {R"({"patterns": [{"puzzle": "a.jpg", "pieceCount": 13}]})",
         "pieceCount 13 is not offered"},
        {R"({"patterns": [{"puzzle": "a.jpg", "clearComment": ")" + longComment + R"("}]})",
         "257 bytes"},
        {R"({"patterns": [{"puzzle": "a.jpg", "finishComment": "絵文字😀"}]})", "code page 932"},
        {R"({"patterns": [{"puzzle": "a.jpg", "clearComment": "a\u0000b"}]})", "NUL"},
        {R"({"patterns": [{"puzzle": "a.jpg", "puzzlePath": ")" + std::string(257, 'p') + R"("}]})",
         "puzzlePath"},
        {R"({"patterns": [{"puzzle": "a.jpg", "puzzlePath": ""}]})", "must not be empty"},
        {R"({"password": "12345678901234567", "patterns": [{"puzzle": "a.jpg"}]})", "17 bytes"},
        {R"({"password": "é", "patterns": [{"puzzle": "a.jpg"}]})", "code page 932"},
        {R"({"password": "two words", "patterns": [{"puzzle": "a.jpg"}]})", "space"},
        {many, "at most 200 patterns"},
        {R"({"patterns": [{"clearComment": "no picture"}]})", "needs a puzzle or a finished"},
        {R"({"patterns": [{"puzzle": "a.jpg"}], "vendor": true})", "unknown field"},
        {R"({"patterns": [{"puzzle": "a.jpg"},)", "not valid JSON"},
        {R"({"patterns": [{"puzzle": "a.jpg"}, {"finished": "b.bmp", "clearComment": ")" +
             fullComment + R"("}, {"puzzle": "small.jpg"}]})",
         "pattern 3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.manifest.substr(0, 100));
        const auto r = pack(c.manifest);
        expectOneLineFailure(r, 1);
        EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
        EXPECT_FALSE(exists("out.ADX"));
        EXPECT_FALSE(exists("out.ADX$$$"));
    }
    expectOneLineFailure(run({"pack", "no-such-manifest.json", "-o", "out.ADX"}), 1);
}

TEST_F(PackCommand, ReplacesAnExistingFileOnlyWithForce) {
    writeText("out.ADX", "old file");
    const std::string manifest = R"({"patterns": [{"puzzle": "a.jpg"}]})";
    const auto refused = pack(manifest);
    expectOneLineFailure(refused, 1);
    EXPECT_NE(refused.err.find("--force"), std::string::npos) << refused.err;
    EXPECT_EQ(readFile("out.ADX"), bytesOf("old file"));

    const auto forced = pack(manifest, {"--force"});
    ASSERT_EQ(forced.exitCode, 0) << forced.err;
    EXPECT_EQ(readFile("out.ADX").size(), 20 + 1154 + readFile("a.jpg").size());
}

TEST_F(PackCommand, NamesTheFileAsTheEditorDoes) {
    writeText("manifest.json", R"({"patterns": [{"puzzle": "a.jpg"}]})");
    const auto r = run({"pack", "manifest.json", "-o", "set"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(exists("set.ADX"));
    EXPECT_FALSE(exists("set"));
    EXPECT_NE(r.out.find("set.ADX"), std::string::npos) << r.out;

    ASSERT_EQ(run({"pack", "manifest.json", "-o", "lower.adx"}).exitCode, 0);
    EXPECT_TRUE(exists("lower.adx"));
}

TEST_F(PackCommand, FindsPicturesBesideTheManifest) {
    fs::create_directory(path("set"));
    picture("set/p.jpg", 400, 300, "jpeg");
    writeText("set/manifest.json", R"({"patterns": [{"puzzle": "p.jpg"}]})");
    const auto r = run({"pack", "set/manifest.json", "-o", "out.ADX"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto listed = run({"list", "out.ADX", "--json"});
    EXPECT_NE(listed.out.find(path("set/p.jpg")), std::string::npos) << listed.out;
}

} // namespace
} // namespace pdt::test
