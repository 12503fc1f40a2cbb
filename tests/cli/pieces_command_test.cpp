// adxtool pieces, run as a separate process.

#include "cli/cli_fixture.h"
#include "preview/test_pictures.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/stat.h>

namespace pdt::test {
namespace {

class PiecesCommand : public CliTest {};

TEST_F(PiecesCommand, GivesTheTableTheEnumerationLeavesForASizeOrAPicture) {
    picture("wide.jpg", 640, 480, "jpeg");
    picture("narrow.bmp", 199, 300, "bmp");
    // The grids themselves are checked in piece_grids_test.cpp.
    const struct {
        std::string operand;
        std::array<int, 4> sizes; // width, height, workingWidth, workingHeight
        bool accepted;
        int grids;
        std::array<int, 3> first; // columns, rows, pieces
    } cases[] = {
        {"640x480", {640, 480, 640, 480}, true, 30, {3, 2, 6}},
        {"wide.jpg", {640, 480, 640, 480}, true, 30, {3, 2, 6}},
        // A refused size still shows its table, as the editor's table holds it.
        {"199x300", {199, 300, 200, 301}, false, 10, {3, 5, 15}},
        {"narrow.bmp", {199, 300, 200, 301}, false, 10, {3, 5, 15}},
        {"20000x200", {20000, 200, 1580, 15}, false, 0, {0, 0, 0}},
        {"0x0", {0, 0, 0, 0}, false, 0, {0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.operand);
        const auto r = run({"pieces", c.operand, "--json"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, "");
        const auto o = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
        EXPECT_EQ((std::array{o["width"].toInt(), o["height"].toInt(), o["workingWidth"].toInt(),
                              o["workingHeight"].toInt()}),
                  c.sizes);
        EXPECT_EQ(o["accepted"].toBool(!c.accepted), c.accepted);
        EXPECT_EQ(o["grids"].toArray().size(), c.grids);
        const auto first = o["grids"].toArray().first().toObject();
        EXPECT_EQ(
            (std::array{first["columns"].toInt(), first["rows"].toInt(), first["pieces"].toInt()}),
            c.first);
    }
}

TEST_F(PiecesCommand, PrintsATableForPeopleAndFailsForWhatIsNoPicture) {
    const auto r = run({"pieces", "640X480"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("accepted"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("768 pieces"), std::string::npos) << r.out;

    // Rows stored top-down: the size is the height, not its negative.
    writeEncoded("td.bmp", topDownBmp(gradientPicture(300, 200)));
    const auto topDown = run({"pieces", "td.bmp"});
    EXPECT_EQ(topDown.exitCode, 0) << topDown.err;
    EXPECT_EQ(topDown.out, run({"pieces", "300x200"}).out);

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
