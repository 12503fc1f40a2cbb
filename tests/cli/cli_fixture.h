#pragma once
// What the tests of adxtool share: a scratch folder where the built adxtool runs as a separate
// process, puzzle data files laid out by hand, and the way every failure is reported.

#include "support/picture_files.h"
#include "support/temp_dir.h"
#include "text/cp932.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace pdt::test {

struct ToolRun {
    int exitCode = -1; // 128 + the signal when one ended it
    std::string out;
    std::string err;
};

// A code page 932 text from UTF-8 (the tests' texts always encode).
inline std::string cp932(std::string_view utf8) {
    const auto encoded = text::toCp932(utf8);
    EXPECT_TRUE(encoded.has_value()) << utf8;
    return encoded.value_or("");
}

// A word the shell takes as it is.
inline std::string shellWord(std::string_view s) {
    std::string word = "'";
    for (const char c : s)
        word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return word + "'";
}

// Names are relative to a scratch folder, which is also where adxtool runs.
class CliTest : public ::testing::Test {
  public:
    std::string path(const std::string& name) const { return dir_ / name; }
    void write(const std::string& name, const Bytes& bytes) const { writeFile(path(name), bytes); }
    void write(const std::string& name, std::string_view text) const {
        writeFile(path(name), bytesOf(text));
    }
    Bytes read(const std::string& name) const { return readFile(path(name)); }
    bool has(const std::string& name) const { return exists(path(name)); }

    // Every entry below the scratch folder, as paths relative to it, sorted.
    std::vector<std::string> tree() const {
        std::vector<std::string> entries;
        for (const auto& e : std::filesystem::recursive_directory_iterator(dir_.path()))
            entries.push_back(std::filesystem::relative(e.path(), dir_.path()).string());
        std::sort(entries.begin(), entries.end());
        return entries;
    }

    // A picture file of w x h pixels; its bytes.
    Bytes picture(const std::string& name, int w, int h, const char* format = "jpeg") const {
        EXPECT_TRUE(writePictureFile(path(name), w, h, format)) << name;
        return read(name);
    }

    // Runs adxtool as a user's shell would: in the scratch folder, without a display (it
    // needs none), `input` on a pipe, `shell` run just before (limits, redirections). A
    // tool that blocks is ended after two minutes, failing its test instead of hanging it.
    ToolRun run(const std::vector<std::string>& args, const std::string& input = {},
                const std::string& shell = ":") const {
        std::string command = "cd " + shellWord(dir_.path()) + " && exec >" +
                              shellWord(io_ / "out") + " 2>" + shellWord(io_ / "err") +
                              " && unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM && " + shell +
                              " && printf %s " + shellWord(input) + " | exec timeout 120 " +
                              shellWord(ADXTOOL_PATH);
        for (const auto& a : args)
            command += ' ' + shellWord(a);
        const int status = std::system(command.c_str());
        const Bytes out = readFile(io_ / "out"), err = readFile(io_ / "err");
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::string(out.begin(), out.end()),
                std::string(err.begin(), err.end())};
    }

  private:
    TempDir dir_;
    TempDir io_; // what the tool printed
};

// Expects a failure reported the way every failure is: this exit code, nothing but one
// line starting "adxtool: " on standard error.
inline void expectOneLineFailure(const ToolRun& r, int exitCode) {
    EXPECT_EQ(r.exitCode, exitCode) << r.err;
    EXPECT_TRUE(r.err.starts_with("adxtool: ")) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_TRUE(r.err.ends_with("\n")) << r.err;
}

// A record for buildFile with these texts (UTF-8, stored in code page 932).
inline puzzle::PatternRecord recordWith(std::string_view puzzlePath, std::string_view finishedPath,
                                        std::int16_t pieceCount = 0, std::uint8_t rotation = 0,
                                        std::string_view clearComment = {}) {
    puzzle::PatternRecord r;
    puzzle::setFieldText(r.puzzleImagePath, cp932(puzzlePath));
    puzzle::setFieldText(r.finishedImagePath, cp932(finishedPath));
    r.pieceCount = pieceCount;
    r.rotation = rotation;
    puzzle::setFieldText(r.clearComment, cp932(clearComment));
    return r;
}

} // namespace pdt::test
