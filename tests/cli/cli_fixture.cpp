#include "cli/cli_fixture.h"

#include "pieces/piece_grids.h"
#include "puzzle/document.h"
#include "puzzle/pictures.h"
#include "puzzle/save.h"
#include "text/cp932.h"

#include <fstream>
#include <iterator>

namespace pdt::test {

void CliTest::writeFile(const std::string& name, const Bytes& bytes) const {
    std::ofstream f(path(name), std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    ASSERT_TRUE(f.good()) << name;
}

void CliTest::writeText(const std::string& name, std::string_view text) const {
    writeFile(name, bytesOf(text));
}

Bytes CliTest::readFile(const std::string& name) const {
    std::ifstream f(path(name), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

bool CliTest::exists(const std::string& name) const {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(path(name), ec));
}

std::vector<std::string> CliTest::tree() const {
    std::vector<std::string> entries;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root()))
        entries.push_back(std::filesystem::relative(e.path(), root()).string());
    std::sort(entries.begin(), entries.end());
    return entries;
}

Bytes CliTest::picture(const std::string& name, int w, int h, const char* format) const {
    EXPECT_TRUE(writePictureFile(path(name), w, h, format)) << name;
    return readFile(name);
}

ToolRun CliTest::run(const std::vector<std::string>& args, const std::string& input) const {
    ToolOptions options;
    options.workingDirectory = root();
    options.input = input;
    return runAdxtool(args, options);
}

Bytes saveAsEditor(const CliTest& test, const std::string& name,
                   const std::vector<EditorPattern>& patterns, std::string_view password,
                   bool vendorInfo) {
    auto doc = std::make_unique<puzzle::Document>();
    puzzle::ResetDocument(*doc);
    doc->state.vendorFlag = vendorInfo ? 1 : 0;
    for (size_t i = 0; i < patterns.size(); ++i) {
        if (i > 0) {
            EXPECT_TRUE(puzzle::AppendPattern(*doc));
        }
        const auto& p = patterns[i];
        if (!p.puzzle.empty()) {
            EXPECT_FALSE(puzzle::AttachPicture(*doc, int(i), 0, test.path(p.puzzle)));
        }
        if (!p.finished.empty()) {
            EXPECT_FALSE(puzzle::AttachPicture(*doc, int(i), 1, test.path(p.finished)));
        }
        auto& r = doc->pattern(int(i));
        r.pieceCount = p.pieceCount;
        r.rotation = p.rotation ? 1 : 0;
        puzzle::setFieldText(r.clearComment, cp932(p.clearComment));
        puzzle::setFieldText(r.finishComment, cp932(p.finishComment));
    }
    const auto saved = puzzle::SavePuzzleDataFile(*doc, test.path(name), cp932(password));
    EXPECT_TRUE(saved.saved) << (saved.message ? saved.message->text : "");
    return test.readFile(name);
}

std::vector<int> offeredCounts(int width, int height) {
    pieces::PieceGridTable table{};
    const auto choices = pieces::FillPieceChoices(table, width, height);
    std::vector<int> counts;
    for (int i = 0; choices.outcome == pieces::PieceChoices::Outcome::Accepted && i < choices.count;
         ++i)
        counts.push_back(table[size_t(i)].pieceCount());
    return counts;
}

void expectOneLineFailure(const ToolRun& r, int exitCode) {
    EXPECT_EQ(r.signal, 0) << "died of a signal";
    EXPECT_EQ(r.exitCode, exitCode) << r.err;
    const auto lines = r.errLines();
    ASSERT_EQ(lines.size(), 1u) << r.err;
    EXPECT_TRUE(lines[0].starts_with("adxtool: ")) << lines[0];
    EXPECT_TRUE(r.err.ends_with("\n"));
}

std::string cp932(std::string_view utf8) {
    const auto encoded = text::toCp932(utf8);
    EXPECT_TRUE(encoded.has_value()) << utf8;
    return encoded.value_or("");
}

puzzle::PatternRecord recordWith(std::string_view puzzlePath, std::string_view finishedPath,
                                 std::int16_t pieceCount, std::uint8_t rotation,
                                 std::string_view clearComment, std::string_view finishComment) {
    puzzle::PatternRecord r;
    puzzle::setFieldText(r.puzzleImagePath, cp932(puzzlePath));
    puzzle::setFieldText(r.finishedImagePath, cp932(finishedPath));
    r.pieceCount = pieceCount;
    r.rotation = rotation;
    puzzle::setFieldText(r.clearComment, cp932(clearComment));
    puzzle::setFieldText(r.finishComment, cp932(finishComment));
    return r;
}

} // namespace pdt::test
