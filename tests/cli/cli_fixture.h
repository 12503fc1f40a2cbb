#pragma once
// What the tests of adxtool share: a scratch folder, file helpers, and puzzle data files
// made the way the editor makes them.

#include "cli/tool_runner.h"
#include "support/bytes.h"
#include "support/picture_files.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace pdt::test {

class CliTest : public ::testing::Test {
  public:
    std::string path(const std::string& name) const {
        return dir_.filePath(QString::fromStdString(name)).toStdString();
    }
    std::string root() const { return dir_.path().toStdString(); }

    void writeFile(const std::string& name, const Bytes& bytes) const;
    void writeText(const std::string& name, std::string_view text) const;
    Bytes readFile(const std::string& name) const;
    bool exists(const std::string& name) const;

    // Every entry below the scratch folder, as paths relative to it, sorted.
    std::vector<std::string> tree() const;

    // A picture file in the scratch folder; its bytes.
    Bytes picture(const std::string& name, int w, int h, const char* format = "jpeg") const;

    // Runs adxtool with these arguments, from the scratch folder.
    ToolRun run(const std::vector<std::string>& args, const std::string& input = {}) const;

  private:
    QTemporaryDir dir_;
};

// One pattern as an author makes it in the editor: picture files of the scratch folder
// (empty for none) and the details committed from the window.
struct EditorPattern {
    std::string puzzle;
    std::string finished;
    std::int16_t pieceCount = 0;
    bool rotation = false;
    std::string clearComment; // UTF-8
    std::string finishComment;
};

// Saves the patterns the way the editor does (pictures attached from their files, then
// the engine's save) as `name` in the scratch folder, and gives the file's bytes.
Bytes saveAsEditor(const CliTest& test, const std::string& name,
                   const std::vector<EditorPattern>& patterns, std::string_view password = {},
                   bool vendorInfo = false);

// The piece counts the editor offers for a picture of that size.
std::vector<int> offeredCounts(int width, int height);

// Expects a failure reported the way every failure is: this exit code, nothing but one
// line starting "adxtool: " on standard error.
void expectOneLineFailure(const ToolRun& r, int exitCode);

// A code page 932 text from UTF-8 (the tests' texts always encode).
std::string cp932(std::string_view utf8);

// A record for buildFile with these texts (UTF-8, stored in code page 932).
puzzle::PatternRecord recordWith(std::string_view puzzlePath, std::string_view finishedPath,
                                 std::int16_t pieceCount = 0, std::uint8_t rotation = 0,
                                 std::string_view clearComment = {},
                                 std::string_view finishComment = {});

} // namespace pdt::test
