// The manifest's text and its reading agree; what pack refuses is tested from outside
// (pack_command_test.cpp), and the way from extract to pack in extract_command_test.cpp.
#include "cli/manifest.h"

#include <gtest/gtest.h>

#include <tuple>

namespace pdt::cli {
namespace {

TEST(Manifest, ReadsBackWhatItWrites) {
    Manifest m;
    m.password = "ひみつ";
    m.vendorInfo = true;
    ManifestPattern full;
    full.puzzle = "001-puzzle-a.jpg";
    full.finished = "001-finished-b.bmp";
    full.puzzlePath = "C:\\pics\\a.jpg";
    full.finishedPath = "D:\\写真\\表.bmp";
    full.pieceCount = 12;
    full.rotation = true;
    full.clearComment = "完成です\r\n次へ";
    full.finishComment = "\"quoted\" \\ \t";
    ManifestPattern onlyFinished;
    onlyFinished.finished = "002-finished.jpg";
    onlyFinished.puzzlePath = "kept without its picture";
    onlyFinished.pieceCount = -5;
    m.patterns = {full, onlyFinished};

    const auto parsed = ParseManifest(ManifestJson(m).text());
    ASSERT_TRUE(std::holds_alternative<Manifest>(parsed)) << std::get<std::string>(parsed);
    const Manifest& back = std::get<Manifest>(parsed);
    EXPECT_EQ(back.password, m.password);
    EXPECT_EQ(back.vendorInfo, m.vendorInfo);
    const auto fields = [](const ManifestPattern& p) {
        return std::tuple(p.puzzle, p.finished, p.puzzlePath, p.finishedPath, p.pieceCount,
                          p.rotation, p.clearComment, p.finishComment);
    };
    ASSERT_EQ(back.patterns.size(), m.patterns.size());
    for (size_t i = 0; i < m.patterns.size(); ++i)
        EXPECT_EQ(fields(back.patterns[i]), fields(m.patterns[i])) << "pattern " << i;
}

} // namespace
} // namespace pdt::cli
