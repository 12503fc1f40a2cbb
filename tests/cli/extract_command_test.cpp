// adxtool extract, run as a separate process: names, safety, and the way back with pack.

#include "cli/cli_fixture.h"

#include <sys/stat.h>

namespace pdt::test {
namespace {

namespace fs = std::filesystem;

class ExtractCommand : public CliTest {};

// The editor's save writes the layout buildFile lays out (save_test.cpp).
TEST_F(ExtractCommand, WritesThePicturesAndAManifestThatPacksIntoTheSameBytes) {
    const Bytes a = picture("写真 a.jpg", 640, 480, "jpeg");
    const Bytes b = picture("b.bmp", 300, 200, "bmp");
    const Bytes c = picture("c.jpg", 200, 200, "jpeg");
    auto first = recordWith("C:\\写真 a.jpg", "b.bmp", 12, 1, "完成です\r\n次へ");
    puzzle::setFieldText(first.finishComment, cp932("ｶﾅ と ～"));
    auto second = recordWith("", "c.jpg", 0, 0, "\"quoted\" \\ \t");
    puzzle::setFieldText(second.finishComment, cp932("only the finished picture"));
    const Bytes original =
        buildFile({{first, a, b}, {second, {}, c}, {recordWith("b.bmp", "", 24), b, {}}},
                  cp932("ひみつKey"), 1);
    write("original.ADX", original);

    // The password is compared exactly, letter case included.
    EXPECT_EQ(run({"extract", "--password=ひみつkey", "original.ADX", "-oout"}).exitCode, 3);
    const auto r = run({"extract", "--password=ひみつKey", "original.ADX", "-oout"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(read("out/001-puzzle-写真 a.jpg"), a);
    EXPECT_EQ(read("out/001-finished-b.bmp"), b);
    EXPECT_EQ(read("out/002-finished-c.jpg"), c);
    EXPECT_EQ(read("out/003-puzzle-b.bmp"), b);

    // The manifest (checked by packing it) holds the password: only its owner may read it.
    struct stat st {};
    ASSERT_EQ(stat(path("out/manifest.json").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    const auto packed = run({"pack", "out/manifest.json", "-o", "rebuilt.ADX"});
    ASSERT_EQ(packed.exitCode, 0) << packed.err;
    EXPECT_EQ(read("rebuilt.ADX"), original);
}

// The current folder by default; nothing into what is no folder. Names already taken, also
// by symbolic links planted there, are replaced only with --force, and a link is never
// followed. Nothing is extracted from a damaged file either (puzzle_reader_test.cpp).
TEST_F(ExtractCommand, WritesWhereToldReplacingOnlyWithForceAndNeverFollowingALink) {
    const Bytes a = picture("a.jpg", 320, 240);
    write("one.ADX", buildFile({{recordWith("a.jpg", "", 6), a, {}}}));
    write("plain", "a file, not a folder");
    ASSERT_EQ(run({"extract", "one.ADX"}).exitCode, 0);
    EXPECT_EQ(read("001-puzzle-a.jpg"), a);
    expectOneLineFailure(run({"extract", "one.ADX", "-o", "plain"}), 1);
    expectOneLineFailure(run({"extract", "one.ADX", "-o", "no/such/parent"}), 1);

    write("victim", "precious");
    fs::create_directory(path("out"));
    fs::create_symlink(path("victim"), path("out/001-puzzle-a.jpg"));
    const auto refused = run({"extract", "one.ADX", "-o", "out"});
    expectOneLineFailure(refused, 1);
    EXPECT_NE(refused.err.find("--force"), std::string::npos) << refused.err;
    EXPECT_FALSE(has("out/manifest.json")) << "nothing is written when one name is taken";

    fs::create_symlink(path("planted"), path("out/manifest.json")); // dangling
    const auto forced = run({"extract", "one.ADX", "-o", "out", "--force"});
    ASSERT_EQ(forced.exitCode, 0) << forced.err;
    EXPECT_EQ(read("out/001-puzzle-a.jpg"), a);
    EXPECT_FALSE(fs::is_symlink(path("out/001-puzzle-a.jpg")));
    EXPECT_FALSE(fs::is_symlink(path("out/manifest.json")));
    EXPECT_EQ(read("victim"), bytesOf("precious"));
    EXPECT_EQ(tree(), (std::vector<std::string>{"001-puzzle-a.jpg", "a.jpg", "manifest.json",
                                                "one.ADX", "out", "out/001-puzzle-a.jpg",
                                                "out/manifest.json", "plain", "victim"}));
}

} // namespace
} // namespace pdt::test
