#include "cli/manifest.h"

#include <gtest/gtest.h>

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
    full.finishComment = "\"quoted\"";
    ManifestPattern onlyFinished;
    onlyFinished.finished = "002-finished.jpg";
    onlyFinished.puzzlePath = "kept without its picture";
    onlyFinished.pieceCount = -5;
    m.patterns = {full, onlyFinished};

    const auto parsed = ParseManifest(ManifestJson(m).text());
    ASSERT_TRUE(std::holds_alternative<Manifest>(parsed)) << std::get<std::string>(parsed);
    const auto& back = std::get<Manifest>(parsed);
    EXPECT_EQ(back.password, m.password);
    EXPECT_EQ(back.vendorInfo, true);
    ASSERT_EQ(back.patterns.size(), 2u);
    const auto& p = back.patterns[0];
    EXPECT_EQ(p.puzzle, full.puzzle);
    EXPECT_EQ(p.finished, full.finished);
    EXPECT_EQ(p.puzzlePath, full.puzzlePath);
    EXPECT_EQ(p.finishedPath, full.finishedPath);
    EXPECT_EQ(p.pieceCount, full.pieceCount);
    EXPECT_EQ(p.rotation, true);
    EXPECT_EQ(p.clearComment, full.clearComment);
    EXPECT_EQ(p.finishComment, full.finishComment);
    const auto& q = back.patterns[1];
    EXPECT_FALSE(q.puzzle.has_value());
    EXPECT_EQ(q.puzzlePath, onlyFinished.puzzlePath);
    EXPECT_FALSE(q.finishedPath.has_value());
    EXPECT_EQ(q.pieceCount, std::int16_t(-5));
}

TEST(Manifest, LeavesOutOptionalFieldsAsDefaults) {
    const auto parsed = ParseManifest(R"({"patterns": [{"puzzle": "a.jpg"}]})");
    ASSERT_TRUE(std::holds_alternative<Manifest>(parsed));
    const auto& m = std::get<Manifest>(parsed);
    EXPECT_EQ(m.password, "");
    EXPECT_FALSE(m.vendorInfo);
    EXPECT_FALSE(m.patterns[0].pieceCount.has_value());
    EXPECT_FALSE(m.patterns[0].puzzlePath.has_value());
    EXPECT_FALSE(m.patterns[0].rotation);
    EXPECT_EQ(m.patterns[0].clearComment, "");
}

TEST(Manifest, RefusesWhatIsNoManifest) {
    std::string many = R"({"patterns": [)";
    for (int i = 0; i < 201; ++i)
        many += std::string(i ? "," : "") + R"({"puzzle": "a.jpg"})";
    many += "]}";
    const struct {
        std::string json;
        std::string reason;
    } cases[] = {
        {"", "not valid JSON"},
        {"{\"patterns\": [", "not valid JSON"},
        {"[]", "must be a JSON object"},
        {"{}", "\"patterns\" must be an array"},
        {R"({"patterns": []})", "is empty"},
        {many, "201 patterns"},
        {R"({"patterns": [{"puzzle": "a.jpg"}], "extra": 1})", "unknown field \"extra\""},
        {R"({"patterns": [{"puzzle": "a.jpg", "piececount": 6}]})", "unknown field \"piececount\""},
        {R"({"patterns": [{}]})", "pattern 1: needs a puzzle or a finished picture"},
        {R"({"patterns": [{"puzzle": "a", "finished": ""}]})", "must not be empty"},
        {R"({"patterns": [7]})", "pattern 1: must be an object"},
        {R"({"patterns": [{"puzzle": 3}]})", "\"puzzle\" must be a string"},
        {R"({"patterns": [{"puzzle": "a", "pieceCount": 6.5}]})", "whole number"},
        {R"({"patterns": [{"puzzle": "a", "pieceCount": "6"}]})", "whole number"},
        {R"({"patterns": [{"puzzle": "a", "pieceCount": 32768}]})", "whole number"},
        {R"({"patterns": [{"puzzle": "a", "rotation": 2}]})", "true or false"},
        {R"({"patterns": [{"puzzle": "a", "clearComment": null}]})", "must be a string"},
        {R"({"password": 1234, "patterns": [{"puzzle": "a"}]})", "\"password\" must be a string"},
        {R"({"vendorInfo": "yes", "patterns": [{"puzzle": "a"}]})", "true or false"},
    };
    for (const auto& c : cases) {
        const auto parsed = ParseManifest(c.json);
        ASSERT_TRUE(std::holds_alternative<std::string>(parsed)) << c.json.substr(0, 80);
        const auto& reason = std::get<std::string>(parsed);
        EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
        EXPECT_EQ(reason.find('\n'), std::string::npos) << reason;
    }
}

} // namespace
} // namespace pdt::cli
