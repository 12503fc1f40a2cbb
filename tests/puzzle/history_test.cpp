// Undo and redo over real files: how steps merge, the saved state, the step limit, and
// pictures that survive the saves that replace their files. What each step restores is
// checked through the window (editing_safety_test.cpp).
#include "puzzle/history.h"

#include "puzzle/open.h"
#include "puzzle/save.h"
#include "support/documents.h"
#include "support/fault_file_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

using namespace pdt::puzzle;
using namespace pdt::test;

namespace {

std::vector<std::string> words(const std::string& s, char separator = ' ') {
    std::vector<std::string> out;
    std::istringstream in(s);
    for (std::string w; std::getline(in, w, separator);) {
        w.erase(0, w.find_first_not_of(' '));
        w.erase(w.find_last_not_of(' ') + 1);
        if (!w.empty())
            out.push_back(w);
    }
    return out;
}

} // namespace

// Scripts of steps: "k:X" records with merge key X, "r" records without one (each record
// is followed by one change), "b" breaks the burst, "u" undoes, "y" redoes, "c" marks the
// present state saved; "r*N" repeats. A trailing + or - says whether the document is then
// in its saved state. At the end every step is undone.
struct StepsCase {
    const char* script;
    std::size_t maxSteps;
    int undoable;      // steps that can be undone at the end
    int reachedByUndo; // changes still present after undoing them all
};

void PrintTo(const StepsCase& c, std::ostream* os) {
    *os << c.script << ", at most " << c.maxSteps;
}

class HistorySteps : public testing::TestWithParam<StepsCase> {};

TEST_P(HistorySteps, MergeBurstsKeepTheNewestStepsAndKnowTheSavedState) {
    const StepsCase& c = GetParam();
    TempDir dir;
    History history(dir / "cache", c.maxSteps);
    Document doc;
    ResetDocument(doc);
    for (std::string op : words(c.script)) {
        const char clean = op.back() == '+' || op.back() == '-' ? op.back() : 0;
        if (clean)
            op.pop_back();
        const auto star = op.find('*');
        const int times = star == std::string::npos ? 1 : std::stoi(op.substr(star + 1));
        for (int t = 0; t < times; ++t) {
            if (op[0] == 'k' || op[0] == 'r') {
                history.record(doc, "edit", 0, op[0] == 'k' ? op.substr(2) : "");
                ++doc.pattern(0).pieceCount;
            } else if (op == "b") {
                history.breakMerge();
            } else if (op[0] == 'u') {
                history.undo(doc);
            } else if (op[0] == 'y') {
                history.redo(doc);
            } else if (op == "c") {
                history.markClean();
            }
        }
        if (clean) {
            EXPECT_EQ(history.isClean(), clean == '+') << "after " << op << clean;
        }
    }
    int undone = 0;
    while (history.undo(doc))
        ++undone;
    EXPECT_EQ(undone, c.undoable);
    EXPECT_EQ(doc.pattern(0).pieceCount, c.reachedByUndo);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HistorySteps,
    testing::Values(StepsCase{"k:a k:a k:a", 100, 1, 0}, StepsCase{"k:a k:b k:a", 100, 3, 0},
                    StepsCase{"k:a b k:a", 100, 2, 0}, StepsCase{"k:a r k:a", 100, 3, 0},
                    StepsCase{"k:a c k:a", 100, 2, 0}, StepsCase{"k:a u k:a", 100, 1, 0},
                    StepsCase{"k:a u y k:a", 100, 2, 0}, StepsCase{"r r", 100, 2, 0},
                    StepsCase{"r*150", 100, 100, 50}, StepsCase{"r*150", 10, 100, 50},
                    StepsCase{"r*150", 120, 120, 30},
                    // The saved state: a new history is in it; undo and redo are no change.
                    StepsCase{"u+ r- u+ y- u+", 100, 0, 0},
                    StepsCase{"r- r- c+ u- u- y- y+ y+", 100, 2, 0},
                    StepsCase{"r- c+ u- r- u- y-", 100, 1, 0}, // its step was dropped
                    StepsCase{"r- c+ u- u- y+ y+ r- u+", 100, 1, 0},
                    StepsCase{"c+ r*100- u*100+", 100, 0, 0}, // at the step limit
                    StepsCase{"c+ r*101- u*100-", 100, 0, 1}));

// The pictures after saves that replace the files older states read from.
//
// a.ADX holds A0..A2 and b.ADX B0, B1 (A1 with an empty path field, as other writers
// store it). Script steps: "open F", "delete I", "rotate I" (toggles the rotation flag),
// "save F" (prepareSave, save, completeSave, markClean, as the editor does), "prepare F"
// (a save that then fails: prepareSave alone), "extract F" (a picture extracted over F),
// "undo", "redo"; checks: "expect P..." (each picture's bytes and the bytes a save of the
// document writes), "file F = P..." (a file's bytes), "path F" (the current file),
// "steps N", "copies N" (files in the cache).
struct HazardCase {
    const char* name;
    const char* script;
    bool copiesFail = false;
};

class HistoryAcrossSaves : public testing::TestWithParam<HazardCase> {
  protected:
    TempDir dir;
    std::map<std::string, PatternSpec> patterns;

    void SetUp() override {
        const struct {
            const char* id;
            const char* paths[2];
            size_t sizes[2];
        } stored[] = {{"A0", {"C:\\pics\\a0.jpg", "C:\\pics\\a0-done.jpg"}, {300, 500}},
                      {"A1", {"", ""}, {400, 0}},
                      {"A2", {"D:\\a2.bmp", "D:\\a2-done.bmp"}, {250, 350}},
                      {"B0", {"b0.jpg", ""}, {200, 0}},
                      {"B1", {"b1.jpg", "b1-done.jpg"}, {150, 150}}};
        std::uint8_t seed = 1;
        for (const auto& [id, paths, sizes] : stored) {
            PatternSpec& p = patterns[id];
            setFieldText(p.record.puzzleImagePath, paths[0]);
            setFieldText(p.record.finishedImagePath, paths[1]);
            setFieldText(p.record.clearComment, id);
            p.record.pieceCount = std::int16_t(seed * 2);
            p.puzzle = pictureBytes(sizes[0], seed++);
            p.finished = pictureBytes(sizes[1], seed++);
        }
        writeFile(dir / "a.ADX", fileOf({"A0", "A1", "A2"}));
        writeFile(dir / "b.ADX", fileOf({"B0", "B1"}));
    }

    Bytes fileOf(const std::vector<std::string>& ids) {
        std::vector<PatternSpec> specs;
        for (const auto& id : ids)
            specs.push_back(patterns.at(id));
        return buildFile(specs);
    }

    static Bytes slotBytes(const Document& doc, int i, int slot) {
        const ImageSource src = SlotSource(doc, i, slot);
        const Bytes file = src.kind == ImageSource::Kind::Empty ? Bytes{} : readFile(src.file);
        if (src.kind != ImageSource::Kind::CurrentFileRange)
            return file;
        if (std::uint64_t(src.offset + src.size) > file.size())
            return {};
        return Bytes(file.begin() + src.offset, file.begin() + src.offset + src.size);
    }

    void expectShows(const Document& doc, const std::vector<std::string>& ids) {
        ASSERT_EQ(doc.patternCount(), int(ids.size()));
        for (int i = 0; i < doc.patternCount(); ++i) {
            const PatternSpec& p = patterns.at(ids[size_t(i)]);
            EXPECT_EQ(fieldText(doc.pattern(i).clearComment), ids[size_t(i)]);
            EXPECT_TRUE(slotBytes(doc, i, 0) == p.puzzle) << ids[size_t(i)];
            EXPECT_TRUE(slotBytes(doc, i, 1) == p.finished) << ids[size_t(i)];
        }
        Document copy = doc; // saved aside: the history must not see it
        ASSERT_TRUE(SavePuzzleDataFile(copy, dir / "check.ADX", copy.state.password).saved);
        EXPECT_TRUE(readFile(dir / "check.ADX") == fileOf(ids));
        std::filesystem::remove(dir / "check.ADX");
    }
};

TEST_P(HistoryAcrossSaves, ShowsAndSavesTheBytesEachStateHad) {
    const HazardCase& c = GetParam();
    const std::string cache = dir / "cache";
    {
        FaultFileSystem fs;
        if (c.copiesFail)
            fs.failEvery(FaultFileSystem::Op::Create);
        History history(cache, 100, fs);
        Document doc;
        ResetDocument(doc);
        for (const std::string& step : words(c.script, ';')) {
            SCOPED_TRACE(step);
            const auto w = words(step);
            const std::vector<std::string> rest(w.begin() + 1, w.end());
            const std::string file = w.size() > 1 ? dir / (w[1] + ".ADX") : "";
            if (w[0] == "open") {
                const ReadResult r = ReadPuzzleDataFile(file);
                ASSERT_TRUE(r.file);
                history.record(doc, "開く", 0);
                ApplyOpenedFile(doc, *r.file);
                history.markClean();
            } else if (w[0] == "delete") {
                history.record(doc, "削除", std::stoi(w[1]));
                RemovePattern(doc, std::stoi(w[1]));
            } else if (w[0] == "rotate") {
                history.record(doc, "ピース回転", std::stoi(w[1]));
                doc.pattern(std::stoi(w[1])).rotation ^= 1;
            } else if (w[0] == "save") {
                const auto prep = history.prepareSave(doc, file);
                ASSERT_TRUE(SavePuzzleDataFile(doc, file, doc.state.password).saved);
                history.completeSave(prep, doc);
                history.markClean();
            } else if (w[0] == "extract") {
                history.protectFile(doc, file);
                writeFile(file, pictureBytes(5000, 99));
            } else if (w[0] == "prepare") {
                history.prepareSave(doc, file);
            } else if (w[0] == "undo") {
                ASSERT_TRUE(history.undo(doc));
            } else if (w[0] == "redo") {
                ASSERT_TRUE(history.redo(doc));
            } else if (w[0] == "expect") {
                expectShows(doc, rest);
            } else if (w[0] == "file") {
                EXPECT_TRUE(readFile(file) == fileOf({w.begin() + 3, w.end()}));
            } else if (w[0] == "path") {
                EXPECT_EQ(doc.state.currentFilePath, file);
            } else if (w[0] == "steps") {
                EXPECT_EQ(history.stepCount(), std::stoul(w[1]));
            } else if (w[0] == "copies") {
                std::error_code ec; // no folder yet: no copies
                std::filesystem::directory_iterator copies(cache, ec);
                EXPECT_EQ(std::distance(copies, {}), std::stol(w[1]));
            } else {
                FAIL() << "unknown step";
            }
        }
    }
    EXPECT_FALSE(exists(cache)) << "the copies outlived the history";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HistoryAcrossSaves,
    testing::Values(
        HazardCase{"UndoADeletePastASaveOverTheSameFile",
                   "open a; delete 1; save a; file a = A0 A2; copies 1; undo; expect A0 A1 A2;"
                   "save a; file a = A0 A1 A2; copies 0; save e; file e = A0 A1 A2;"
                   "redo; expect A0 A2; path e"},
        HazardCase{"TwoSavesOverTheSameFile",
                   "open a; delete 1; save a; delete 0; save a; file a = A2; undo; expect A0 A2;"
                   "undo; expect A0 A1 A2; save a; file a = A0 A1 A2"},
        HazardCase{"UndoPastASaveAs",
                   "open a; delete 0; save c; file c = A1 A2; undo; expect A0 A1 A2; path c;"
                   "save c; file c = A0 A1 A2; file a = A0 A1 A2; redo; expect A1 A2"},
        HazardCase{"AFailedSaveChangesNothing",
                   "open a; delete 1; prepare a; undo; expect A0 A1 A2; redo; expect A0 A2;"
                   "save a; undo; expect A0 A1 A2; copies 1"},
        HazardCase{"RedoPastASave",
                   "open a; delete 1; undo; save a; redo; expect A0 A2; undo; expect A0 A1 A2"},
        HazardCase{"AStateFromBeforeAnOpenWhoseFileASaveReplaced",
                   "open a; delete 2; open b; save a; file a = B0 B1; undo; expect A0 A1; path a;"
                   "undo; expect A0 A1 A2; save d; file d = A0 A1 A2; steps 3"},
        HazardCase{"AStateFromBeforeAnOpenWhoseFileAnExtractionReplaced",
                   "open a; delete 2; open b; extract a; undo; expect A0 A1; undo;"
                   "expect A0 A1 A2; steps 3"},
        HazardCase{"StatesWhoseCopyFailedAreForgottenWithAllOlderOnes",
                   "open a; delete 1; open b; rotate 0; save a; steps 1; copies 0; undo;"
                   "expect B0 B1; path a",
                   true}),
    [](const auto& info) { return std::string(info.param.name); });
