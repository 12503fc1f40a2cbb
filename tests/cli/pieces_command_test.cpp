// adxtool pieces, run as a separate process.

#include "cli/cli_fixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace pdt::test {
namespace {

class PiecesCommand : public CliTest {
  protected:
    QJsonObject json(const std::string& operand) const {
        const auto r = run({"pieces", operand, "--json"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, "");
        return QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
    }
    static std::vector<int> pieceCounts(const QJsonObject& o) {
        std::vector<int> counts;
        for (const auto g : o["grids"].toArray()) {
            const auto grid = g.toObject();
            EXPECT_EQ(grid["pieces"].toInt(), grid["columns"].toInt() * grid["rows"].toInt());
            counts.push_back(grid["pieces"].toInt());
        }
        return counts;
    }
};

const std::vector<int> k640x480 = {6,   12,  15,  24,  35,  48,  54,  70,  88,  108,
                                   117, 140, 165, 192, 204, 234, 266, 300, 315, 352,
                                   391, 432, 450, 494, 540, 588, 609, 660, 713, 768};

TEST_F(PiecesCommand, OffersThirtyGridsFor640x480) {
    const auto o = json("640x480");
    EXPECT_EQ(o["width"].toInt(), 640);
    EXPECT_EQ(o["height"].toInt(), 480);
    EXPECT_EQ(o["workingWidth"].toInt(), 640);
    EXPECT_EQ(o["workingHeight"].toInt(), 480);
    EXPECT_TRUE(o["accepted"].toBool());
    EXPECT_EQ(pieceCounts(o), k640x480);
    const auto first = o["grids"].toArray().first().toObject();
    EXPECT_EQ(first["columns"].toInt(), 3);
    EXPECT_EQ(first["rows"].toInt(), 2);
}

TEST_F(PiecesCommand, ShowsTheTableOfARefusedSize) {
    const auto o = json("199x300");
    EXPECT_FALSE(o["accepted"].toBool(true));
    EXPECT_EQ(o["workingWidth"].toInt(), 200);
    EXPECT_EQ(o["workingHeight"].toInt(), 301);
    EXPECT_EQ(pieceCounts(o), (std::vector<int>{15, 28, 40, 45, 60, 77, 84, 104, 126, 135}));

    const auto noGrid = json("20000x200");
    EXPECT_FALSE(noGrid["accepted"].toBool(true));
    EXPECT_TRUE(noGrid["grids"].toArray().isEmpty());
    const auto nothing = json("0x0");
    EXPECT_FALSE(nothing["accepted"].toBool(true));
    EXPECT_TRUE(nothing["grids"].toArray().isEmpty());
}

TEST_F(PiecesCommand, TakesThePixelSizeOfAPictureFile) {
    picture("wide.jpg", 640, 480, "jpeg");
    picture("narrow.bmp", 199, 300, "bmp");
    const auto wide = json("wide.jpg");
    EXPECT_EQ(wide["width"].toInt(), 640);
    EXPECT_TRUE(wide["accepted"].toBool());
    EXPECT_EQ(pieceCounts(wide), k640x480);
    const auto narrow = json("narrow.bmp");
    EXPECT_EQ(narrow["width"].toInt(), 199);
    EXPECT_FALSE(narrow["accepted"].toBool(true));
}

TEST_F(PiecesCommand, PrintsATableForPeople) {
    const auto r = run({"pieces", "640X480"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("accepted"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("768 pieces"), std::string::npos) << r.out;
}

TEST_F(PiecesCommand, FailsForWhatIsNoPicture) {
    writeText("notes.txt", "not a picture at all");
    picture("image.png", 640, 480, "png"); // the player reads BMP, JPEG and GIF only
    for (const std::string operand : {"notes.txt", "missing.jpg", "image.png", "640x", "x480"}) {
        SCOPED_TRACE(operand);
        const auto r = run({"pieces", operand});
        expectOneLineFailure(r, 1);
        EXPECT_EQ(r.out, "");
    }
}

} // namespace
} // namespace pdt::test
