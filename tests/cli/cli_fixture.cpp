#include "cli/cli_fixture.h"

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
