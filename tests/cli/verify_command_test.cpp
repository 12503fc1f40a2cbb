// adxtool verify, run as a separate process.

#include "cli/cli_fixture.h"
#include "preview/test_pictures.h"

#include <sys/stat.h>

namespace pdt::test {
namespace {

class VerifyCommand : public CliTest {};

Bytes encoded(int w, int h, const char* format = "jpeg") {
    const QByteArray b = pictureFileBytes(w, h, format);
    return Bytes(b.begin(), b.end());
}

TEST_F(VerifyCommand, ReportsEachKindOfProblemOnALineOfItsOwnAndNoneInASoundFile) {
    using namespace puzzle::field;
    const Bytes photo = encoded(640, 480);
    const Bytes finished = encoded(300, 200, "bmp");
    const Bytes good = buildFile({{recordWith("a.jpg", "b.bmp", 12), photo, finished},
                                  {recordWith("", "b.bmp"), {}, finished}});
    const size_t second = 20 + 1154 + photo.size() + finished.size();
    const Bytes cut(good.begin(), good.end() - 10);
    const Bytes halfPhoto(photo.begin(), photo.begin() + std::ptrdiff_t(photo.size() / 2));
    const QByteArray claim = claimingSize(
        encodePicture(gradientPicture(64, 48), "jpeg", {.progressive = true}), 65000, 65000);
    const Bytes huge(claim.begin(), claim.end());

    write("good.adx", good);
    const auto sound = run({"verify", "good.adx"});
    EXPECT_EQ(sound.exitCode, 0) << sound.out << sound.err;
    EXPECT_EQ(sound.err, "");
    EXPECT_NE(sound.out.find("2 patterns, no problems"), std::string::npos) << sound.out;

    const std::pair<Bytes, std::string> cases[] = {
        {cut, "pattern 2 run past the end of the file"},
        {withStoredField(good, 20, recordOffset, 21),
         "pattern 1: recordOffset is 21, the walk puts it at 20"},
        {withStoredField(good, second, finishedImageOffset, 20),
         "pattern 2: finishedImageOffset is 20"},
        {withStoredField(good, 20, puzzleImageOffset, 0x7FFFFFF0),
         "pattern 1: the puzzle picture (offset 2147483632, size"},
        {buildFile({{recordWith("a.jpg", "", 12), photo, {}}, {recordWith("", ""), {}, {}}}),
         "pattern 2: has no picture"},
        {buildFile({{recordWith("a.png", "", 12), encoded(640, 480, "png"), {}}}),
         "is a PNG picture, which the player does not read"},
        {buildFile({{recordWith("a.jpg", "", 12), halfPhoto, {}}}),
         "pattern 1: the puzzle picture is damaged: "},
        {buildFile({{recordWith("s.jpg", "", 15), encoded(199, 300), {}}}),
         "pattern 1: the puzzle picture (199 x 300) would be refused: a side is under 200 pixels"},
        {buildFile({{recordWith("a.jpg", "", 13), photo, {}}}),
         "pattern 1: pieceCount 13 is not offered for its 640 x 480 puzzle picture"},
        {buildFile({{recordWith("h.jpg", "", 12), huge, {}}}),
         "pattern 1: the puzzle picture (65000 x 65000) is too large"},
    };
    for (const auto& [file, problem] : cases) {
        SCOPED_TRACE(problem);
        write("bad.adx", file);
        const auto r = run({"verify", "bad.adx"});
        expectOneLineFailure(r, 1);
        EXPECT_NE(r.out.find(problem), std::string::npos) << r.out;
    }

    ASSERT_EQ(mkfifo(path("fifo.adx").c_str(), 0600), 0);
    const auto fifo = run({"verify", "fifo.adx"});
    expectOneLineFailure(fifo, 1);
    EXPECT_NE(fifo.err.find("not a regular file"), std::string::npos) << fifo.err;

    // Every problem is listed, one a line.
    write("two.adx", buildFile({{recordWith("a.jpg", "", 13), photo, {}},
                                {recordWith("x", ""), pictureBytes(40), {}}}));
    const auto r = run({"verify", "two.adx"});
    expectOneLineFailure(r, 1);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 2) << r.out;
    EXPECT_NE(r.err.find("2 problems"), std::string::npos) << r.err;
}

} // namespace
} // namespace pdt::test
