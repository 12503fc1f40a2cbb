// adxtool pieces, run as a separate process.

#include "cli/cli_fixture.h"

#include <sys/stat.h>

namespace pdt::test {
namespace {

class PiecesCommand : public CliTest {};

// The grids themselves are checked in piece_grids_test.cpp, how pictures decode in
// tests/preview; here the table each operand gives. A refused size still shows its table,
// as the editor's table holds it; what is no picture fails.
TEST_F(PiecesCommand, GivesTheTableForASizeOrAPictureAndFailsForWhatIsNoPicture) {
    picture("wide.jpg", 640, 480, "jpeg");
    picture("narrow.bmp", 199, 300, "bmp");
    const std::pair<std::string, std::string> cases[] = {
        {"640X480", "640 x 480: working size 640 x 480, accepted, 30 grids\n"
                    "  3 x 2       6 pieces\n"},
        {"narrow.bmp", "199 x 300: working size 200 x 301, refused (a side is under 200 pixels), "
                       "10 grids\n  3 x 5      15 pieces\n"},
        {"20000x200",
         "20000 x 200: working size 1580 x 15, refused (it admits no grid of pieces), 0 grids\n"},
    };
    for (const auto& [operand, table] : cases) {
        SCOPED_TRACE(operand);
        const auto r = run({"pieces", operand});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_TRUE(r.out.starts_with(table)) << r.out;
    }
    EXPECT_TRUE(run({"pieces", "wide.jpg", "--json"}).out.starts_with(R"({
  "width": 640,
  "height": 480,
  "workingWidth": 640,
  "workingHeight": 480,
  "accepted": true,
  "grids": [
    {"columns": 3, "rows": 2, "pieces": 6},
    {"columns": 4, "rows": 3, "pieces": 12},
)"));

    write("notes.txt", "not a picture at all");
    picture("image.png", 640, 480, "png"); // the player reads BMP, JPEG and GIF only
    ASSERT_EQ(mkfifo(path("fifo.jpg").c_str(), 0600), 0);
    for (const std::string operand :
         {"notes.txt", "missing.jpg", "image.png", "fifo.jpg", "640x", "x480"}) {
        SCOPED_TRACE(operand);
        const auto failed = run({"pieces", operand});
        expectOneLineFailure(failed, 1);
        EXPECT_EQ(failed.out, "");
    }
}

} // namespace
} // namespace pdt::test
