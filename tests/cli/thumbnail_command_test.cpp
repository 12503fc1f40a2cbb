// adxtool thumbnail, run as a file manager runs the thumbnailer the package installs.

#include "cli/cli_fixture.h"
#include "cli/exit_status.h"

#include <QImage>
#include <QImageReader>

#include <fstream>

namespace pdt::test {
namespace {

class Thumbnail : public CliTest {
  protected:
    // The entry's command line with %i, %o and %s filled in as a file manager fills them,
    // adxtool found on the PATH the way the entry's TryExec names it.
    ToolRun runEntry(const std::string& input, const std::string& output, int size) const {
        std::ifstream entry(THUMBNAILER_PATH);
        std::string line, exec;
        while (std::getline(entry, line))
            if (line.starts_with("Exec="))
                exec = line.substr(5);
        EXPECT_TRUE(exec.starts_with("adxtool ")) << exec;
        for (const auto& [field, value] : {std::pair{"%i", shellWord(path(input))},
                                           {"%o", shellWord(path(output))},
                                           {"%s", std::to_string(size)}})
            exec.replace(exec.find(field), 2, value);
        const std::string bin = std::filesystem::path(ADXTOOL_PATH).parent_path();
        const int status =
            std::system(("PATH=" + shellWord(bin) + ":\"$PATH\" " + exec + " 2>/dev/null").c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, {}, {}};
    }
};

// The stored pictures differ in shape, so the PNG's size tells which one it shows.
TEST_F(Thumbnail, ShowsTheFirstPatternsPuzzlePictureOrElseItsFinishedOneWithinTheSize) {
    const Bytes landscape = picture("p.jpg", 640, 480), upright = picture("f.bmp", 300, 600);
    const Bytes small = picture("s.jpg", 40, 30);
    write("both.adx", buildFile({{recordWith("p.jpg", "f.bmp"), landscape, upright},
                                 {recordWith("", "s.jpg"), {}, small}}));
    write("finished.adx", buildFile({{recordWith("", "f.bmp"), {}, upright}}));
    write("small.adx", buildFile({{recordWith("s.jpg", ""), small, {}}}));
    const struct {
        std::string file;
        int size;
        QSize expected;
    } cases[] = {
        {"both.adx", 128, {128, 96}},
        {"finished.adx", 100, {50, 100}},
        {"small.adx", 256, {40, 30}}, // never enlarged
        {"both.adx", 1, {1, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file + " " + std::to_string(c.size));
        write("out.png", "what the file manager left there");
        EXPECT_EQ(runEntry(c.file, "out.png", c.size).exitCode, 0);
        QImageReader png(QString::fromStdString(path("out.png")));
        EXPECT_EQ(png.format(), "png");
        EXPECT_EQ(png.size(), c.expected);
    }
    // Without --size, 256; the picture's own pixels: its gradient runs from black on the left
    // to red on the right.
    ASSERT_EQ(run({"thumbnail", "both.adx", "big.png"}).exitCode, 0);
    const QImage big(QString::fromStdString(path("big.png")));
    EXPECT_EQ(big.size(), QSize(256, 192));
    EXPECT_LT(qRed(big.pixel(2, 2)), 40);
    EXPECT_GT(qRed(big.pixel(253, 2)), 215);
}

TEST_F(Thumbnail, RefusesWhatGivesNoPictureAndNeverAsks) {
    const Bytes landscape = picture("p.jpg", 640, 480);
    const Bytes sound = buildFile({{recordWith("p.jpg", ""), landscape, {}}});
    write("cut.adx", firstBytes(sound, sound.size() - 1));
    write("empty-first.adx",
          buildFile({{recordWith("", ""), {}, {}}, {recordWith("p.jpg", ""), landscape, {}}}));
    write("not-a-picture.adx", buildFile({{recordWith("p.jpg", ""), pictureBytes(500), {}}}));
    write("locked.adx", buildFile({{recordWith("p.jpg", ""), landscape, {}}}, cp932("ひみつ")));
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string reason;
    } cases[] = {
        {{"cut.adx"}, 1, "cut.adx"},
        {{"p.jpg"}, 1, "p.jpg"},
        {{"empty-first.adx"}, 1, "the first pattern has no picture"},
        {{"not-a-picture.adx"}, 1, "not a BMP, JPEG or GIF picture"},
        {{"locked.adx"}, 3, "has a password"}, // with the answer waiting on standard input
        {{"locked.adx", "--password", "ひみ"}, 3, "wrong password"},
        {{"p.jpg", "--size", "0"}, 2, "--size"},
        {{"p.jpg", "--size", "4097"}, 2, "--size"},
        {{"p.jpg", "--size=12px"}, 2, "--size"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args.back());
        std::vector<std::string> args = {"thumbnail", c.args[0], "out.png"};
        args.insert(args.end(), c.args.begin() + 1, c.args.end());
        const auto r = run(args, "ひみつ\n");
        if (c.exitCode == cli::kExitUsage)
            EXPECT_EQ(r.exitCode, cli::kExitUsage); // followed by the usage
        else
            expectOneLineFailure(r, c.exitCode);
        EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(has("out.png"));
    }
    EXPECT_EQ(run({"thumbnail", "locked.adx", "out.png", "--password", "ひみつ"}).exitCode, 0);
}

} // namespace
} // namespace pdt::test
