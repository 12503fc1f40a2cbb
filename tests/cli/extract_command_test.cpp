// adxtool extract, run as a separate process: names, safety, and the way back with pack.

#include "cli/cli_fixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <filesystem>
#include <sys/stat.h>

namespace pdt::test {
namespace {

namespace fs = std::filesystem;

class ExtractCommand : public CliTest {
  protected:
    QJsonObject manifest(const std::string& name) const {
        const Bytes b = readFile(name);
        return QJsonDocument::fromJson(
                   QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size())))
            .object();
    }
};

TEST_F(ExtractCommand, WritesThePicturesAndAManifestThatPacksIntoTheSameBytes) {
    const Bytes a = picture("写真 a.jpg", 640, 480, "jpeg");
    const Bytes b = picture("b.bmp", 300, 200, "bmp");
    const Bytes c = picture("c.jpg", 200, 200, "jpeg");
    const int bCount = offeredCounts(300, 200).at(2);
    const Bytes original =
        saveAsEditor(*this, "original.ADX",
                     {{"写真 a.jpg", "b.bmp", 12, true, "完成です\r\n次へ", "ｶﾅ と ～"},
                      {"", "c.jpg", 0, false, "", "only the finished picture"},
                      {"b.bmp", "", std::int16_t(bCount), false, "", ""}},
                     "ひみつ", true);

    const auto r = run({"extract", "original.ADX", "-o", "out", "--password", "ひみつ"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(readFile("out/001-puzzle-写真 a.jpg"), a);
    EXPECT_EQ(readFile("out/001-finished-b.bmp"), b);
    EXPECT_EQ(readFile("out/002-finished-c.jpg"), c);
    EXPECT_EQ(readFile("out/003-puzzle-b.bmp"), b);

    const QJsonObject m = manifest("out/manifest.json");
    EXPECT_EQ(m["password"].toString().toStdString(), "ひみつ");
    EXPECT_TRUE(m["vendorInfo"].toBool());
    const auto p1 = m["patterns"].toArray()[0].toObject();
    EXPECT_EQ(p1["puzzle"].toString().toStdString(), "001-puzzle-写真 a.jpg");
    EXPECT_EQ(p1["puzzlePath"].toString().toStdString(), path("写真 a.jpg"));
    EXPECT_EQ(p1["pieceCount"].toInt(), 12);
    EXPECT_TRUE(p1["rotation"].toBool());
    EXPECT_EQ(p1["clearComment"].toString().toStdString(), "完成です\r\n次へ");
    EXPECT_FALSE(m["patterns"].toArray()[1].toObject().contains("puzzle"));
    // Only its owner may read a manifest holding a password.
    struct stat st {};
    ASSERT_EQ(stat(path("out/manifest.json").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    const auto packed = run({"pack", "out/manifest.json", "-o", "rebuilt.ADX"});
    ASSERT_EQ(packed.exitCode, 0) << packed.err;
    EXPECT_EQ(readFile("rebuilt.ADX"), original);
}

TEST_F(ExtractCommand, WritesIntoTheCurrentFolderByDefault) {
    picture("a.jpg", 320, 240);
    saveAsEditor(*this, "one.ADX", {{"a.jpg", "", 6, false, "", ""}});
    const auto r = run({"extract", "one.ADX"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(exists("001-puzzle-a.jpg"));
    EXPECT_TRUE(exists("manifest.json"));
}

// Every stored path in one file, one pattern each, extracted into sandbox/out.
TEST_F(ExtractCommand, NamesFromHostilePathsStayInsideTheChosenFolder) {
    const Bytes jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 1, 2, 3};
    const Bytes bmp = {'B', 'M', 9, 9, 9};
    const Bytes unknown = {1, 2, 3, 4};
    const struct {
        std::string stored; // code page 932 bytes
        Bytes picture;
        std::string name; // expected, UTF-8
    } cases[] = {
        {"C:\\pics\\a.jpg", jpeg, "001-puzzle-a.jpg"},
        {"/etc/passwd", unknown, "002-puzzle-passwd"},
        {"..\\..\\..\\evil.jpg", jpeg, "003-puzzle-evil.jpg"},
        {"../../../evil2.jpg", jpeg, "004-puzzle-evil2.jpg"},
        {"..", bmp, "005-puzzle.bmp"},
        {"C:evil.jpg", jpeg, "006-puzzle-evil.jpg"},
        {"\\\\server\\share\\", unknown, "007-puzzle.bin"},
        {"a\x01"
         "b\x1f"
         "c\x7f.jpg",
         jpeg, "008-puzzle-a_b_c_.jpg"},
        {"CON", jpeg, "009-puzzle-_CON"},
        {"aux.txt", jpeg, "010-puzzle-_aux.txt"},
        {"lpt1.jpg", jpeg, "011-puzzle-_lpt1.jpg"},
        {"", jpeg, "012-puzzle.jpg"},
        {std::string("visible\0../../hidden", 20), jpeg, "013-puzzle-visible"},
        {"C:\\\x8e\xca\x90\x5e\\\x95\x5c.jpg", jpeg, "014-puzzle-表.jpg"}, // 写真\表.jpg
        {".hidden", unknown, "015-puzzle-hidden"},
        {"a:b.jpg", jpeg, "016-puzzle-b.jpg"},
        {std::string(250, 'n') + ".jpg", jpeg, "017-puzzle-" + std::string(196, 'n') + ".jpg"},
    };
    std::vector<PatternSpec> patterns;
    for (const auto& c : cases) {
        puzzle::PatternRecord r;
        puzzle::setFieldText(r.puzzleImagePath, c.stored);
        patterns.push_back({r, c.picture, {}});
    }
    fs::create_directories(path("sandbox"));
    writeFile("sandbox/hostile.adx", buildFile(patterns));

    const auto r = run({"extract", "sandbox/hostile.adx", "-o", "sandbox/out"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::string> expected = {"sandbox", "sandbox/hostile.adx", "sandbox/out",
                                         "sandbox/out/manifest.json"};
    for (const auto& c : cases) {
        expected.push_back("sandbox/out/" + c.name);
        EXPECT_EQ(readFile("sandbox/out/" + c.name), c.picture) << c.name;
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(tree(), expected);
}

TEST_F(ExtractCommand, ReplacesExistingFilesOnlyWithForce) {
    const Bytes a = picture("a.jpg", 320, 240);
    saveAsEditor(*this, "one.ADX", {{"a.jpg", "", 6, false, "", ""}});
    fs::create_directory(path("out"));
    writeText("out/001-puzzle-a.jpg", "keep me");

    const auto refused = run({"extract", "one.ADX", "-o", "out"});
    expectOneLineFailure(refused, 1);
    EXPECT_NE(refused.err.find("--force"), std::string::npos) << refused.err;
    EXPECT_EQ(readFile("out/001-puzzle-a.jpg"), bytesOf("keep me"));
    EXPECT_FALSE(exists("out/manifest.json")) << "nothing is written when one name is taken";

    writeText("out/manifest.json", "old manifest");
    const auto forced = run({"extract", "one.ADX", "-o", "out", "--force"});
    ASSERT_EQ(forced.exitCode, 0) << forced.err;
    EXPECT_EQ(readFile("out/001-puzzle-a.jpg"), a);
    EXPECT_NE(readFile("out/manifest.json"), bytesOf("old manifest"));
    EXPECT_EQ(tree(), (std::vector<std::string>{"a.jpg", "one.ADX", "out", "out/001-puzzle-a.jpg",
                                                "out/manifest.json"}));
}

TEST_F(ExtractCommand, NeverFollowsASymbolicLinkPlantedAtATargetName) {
    const Bytes a = picture("a.jpg", 320, 240);
    saveAsEditor(*this, "one.ADX", {{"a.jpg", "", 6, false, "", ""}});
    writeText("victim", "precious");
    fs::create_directory(path("out"));
    fs::create_symlink(path("victim"), path("out/001-puzzle-a.jpg"));
    fs::create_symlink(path("planted"), path("out/manifest.json")); // dangling

    expectOneLineFailure(run({"extract", "one.ADX", "-o", "out"}), 1);
    EXPECT_EQ(readFile("victim"), bytesOf("precious"));
    EXPECT_FALSE(exists("planted"));

    const auto forced = run({"extract", "one.ADX", "-o", "out", "--force"});
    ASSERT_EQ(forced.exitCode, 0) << forced.err;
    EXPECT_EQ(readFile("victim"), bytesOf("precious"));
    EXPECT_FALSE(exists("planted"));
    EXPECT_FALSE(fs::is_symlink(path("out/001-puzzle-a.jpg")));
    EXPECT_EQ(readFile("out/001-puzzle-a.jpg"), a);
    EXPECT_FALSE(fs::is_symlink(path("out/manifest.json")));
}

TEST_F(ExtractCommand, WritesNothingFromADamagedFile) {
    picture("a.jpg", 320, 240);
    Bytes file = saveAsEditor(*this, "one.ADX", {{"a.jpg", "", 6, false, "", ""}});
    file.push_back(0); // a trailing byte
    writeFile("damaged.ADX", file);
    const auto r = run({"extract", "damaged.ADX", "-o", "out"});
    expectOneLineFailure(r, 1);
    EXPECT_FALSE(exists("out/001-puzzle-a.jpg"));
    EXPECT_FALSE(exists("out/manifest.json"));
}

TEST_F(ExtractCommand, ReportsAFolderItCannotWriteTo) {
    picture("a.jpg", 320, 240);
    saveAsEditor(*this, "one.ADX", {{"a.jpg", "", 6, false, "", ""}});
    writeText("plain", "a file, not a folder");
    expectOneLineFailure(run({"extract", "one.ADX", "-o", "plain"}), 1);
    expectOneLineFailure(run({"extract", "one.ADX", "-o", "no/such/parent"}), 1);
}

} // namespace
} // namespace pdt::test
