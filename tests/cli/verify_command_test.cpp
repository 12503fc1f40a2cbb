// adxtool verify, run as a separate process.

#include "cli/cli_fixture.h"

namespace pdt::test {
namespace {

class VerifyCommand : public CliTest {};

Bytes encoded(int w, int h, const char* format = "jpeg") {
    const QByteArray b = pictureFileBytes(w, h, format);
    return Bytes(b.begin(), b.end());
}

// Rewrites an int32 field of the record stored at recordPos.
void setStoredField(Bytes& file, size_t recordPos, size_t field, std::int32_t value) {
    if (recordPos + field + 4 > file.size()) {
        ADD_FAILURE() << "no such field";
        return;
    }
    for (int i = 0; i < 4; ++i)
        file[recordPos + field + size_t(i)] = std::uint8_t(~(std::uint32_t(value) >> (8 * i)));
}

TEST_F(VerifyCommand, FindsNothingWrongWithWhatTheEditorSaved) {
    picture("a.jpg", 640, 480);
    picture("b.bmp", 300, 200, "bmp");
    saveAsEditor(*this, "good.ADX",
                 {{"a.jpg", "b.bmp", 12, true, "c", "f"}, {"", "a.jpg", 0, false, "", ""}});
    const auto r = run({"verify", "good.ADX"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("2 patterns, no problems"), std::string::npos) << r.out;
}

TEST_F(VerifyCommand, ReportsEachKindOfProblemOnALineOfItsOwn) {
    const Bytes photo = encoded(640, 480);
    const Bytes finished = encoded(300, 200, "bmp");
    const Bytes good = buildFile({{recordWith("a.jpg", "b.bmp", 12), photo, finished},
                                  {recordWith("", "b.bmp"), {}, finished}});
    const size_t second = 20 + 1154 + photo.size() + finished.size();

    Bytes trailing = good;
    trailing.insert(trailing.end(), {0, 0, 0});
    Bytes cut = good;
    cut.erase(cut.end() - 10, cut.end());
    Bytes movedRecord = good;
    setStoredField(movedRecord, 20, puzzle::field::recordOffset, 21);
    Bytes movedFinished = good;
    setStoredField(movedFinished, second, puzzle::field::finishedImageOffset, 20);
    Bytes outside = good;
    setStoredField(outside, 20, puzzle::field::puzzleImageOffset, 0x7FFFFFF0);
    Bytes halfPhoto(photo.begin(), photo.begin() + std::ptrdiff_t(photo.size() / 2));
    Bytes negative = good;
    setStoredField(negative, second, puzzle::field::finishedImageOffset, -1);

    const struct {
        std::string name;
        Bytes file;
        std::string problem;
    } cases[] = {
        {"trailing", trailing, "unexpected bytes after the last picture"},
        {"cut", cut, "pattern 2 run past the end of the file"},
        {"record offset", movedRecord, "pattern 1: recordOffset is 21, the walk puts it at 20"},
        {"finished offset", movedFinished, "pattern 2: finishedImageOffset is 20"},
        {"outside", outside, "pattern 1: the puzzle picture (offset 2147483632, size"},
        {"negative", negative, "pattern 2: the finished picture (offset -1"},
        {"no picture",
         buildFile({{recordWith("a.jpg", "", 12), photo, {}}, {recordWith("", ""), {}, {}}}),
         "pattern 2: has no picture"},
        {"not a picture", buildFile({{recordWith("a.jpg", ""), pictureBytes(500), {}}}),
         "pattern 1: the puzzle picture does not decode"},
        {"png", buildFile({{recordWith("a.png", "", 12), encoded(640, 480, "png"), {}}}),
         "does not decode as a BMP, JPEG or GIF picture"},
        {"cut picture", buildFile({{recordWith("a.jpg", "", 12), halfPhoto, {}}}),
         "pattern 1: the puzzle picture is damaged: "},
        {"refused", buildFile({{recordWith("s.jpg", "", 15), encoded(199, 300), {}}}),
         "pattern 1: the puzzle picture (199 x 300) would be refused: a side is under 200 pixels"},
        {"piece count", buildFile({{recordWith("a.jpg", "", 13), photo, {}}}),
         "pattern 1: pieceCount 13 is not offered for its 640 x 480 puzzle picture"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile("bad.adx", c.file);
        const auto r = run({"verify", "bad.adx"});
        expectOneLineFailure(r, 1);
        EXPECT_NE(r.out.find(c.problem + ""), std::string::npos) << r.out;
    }
}

TEST_F(VerifyCommand, ListsEveryProblemItFinds) {
    const Bytes photo = encoded(640, 480);
    writeFile("two.adx", buildFile({{recordWith("a.jpg", "", 13), photo, {}},
                                    {recordWith("x", ""), pictureBytes(40), {}}}));
    const auto r = run({"verify", "two.adx"});
    expectOneLineFailure(r, 1);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 2) << r.out;
    EXPECT_NE(r.err.find("2 problems"), std::string::npos) << r.err;
}

} // namespace
} // namespace pdt::test
