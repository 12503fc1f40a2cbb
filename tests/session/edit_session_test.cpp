// The editing session without a window: sequences of commands, what each leaves selected,
// the one step it records, and the unsaved state.

#include "session/edit_session.h"

#include "puzzle/messages.h"
#include "puzzle/open.h"
#include "support/documents.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <functional>

using namespace pdt;
using namespace pdt::test;
using session::EditSession;
using session::PictureFacts;
using session::Selection;
using session::ShownDetails;

namespace {

// A screen that changes nothing: no count offered, nothing typed.
const ShownDetails kUntouched{};
const PictureFacts kWide{std::nullopt, 320, 240};
const PictureFacts kSmall{std::nullopt, 150, 400};

std::vector<std::string> comments(const EditSession& s) {
    std::vector<std::string> out;
    for (int i = 0; i < s.document().patternCount(); ++i)
        out.emplace_back(puzzle::fieldText(s.document().pattern(i).clearComment));
    return out;
}

// Patterns A, B, C, D made through the session, each with a finished picture, saved.
struct Session {
    TempDir dir;
    EditSession s{dir / "history", true};
    std::string picture = dir / "p.bmp";

    explicit Session(const std::vector<std::string>& names = {"A", "B", "C", "D"}) {
        writeFile(picture, pictureBytes(64));
        for (size_t i = 0; i < names.size(); ++i) {
            if (i > 0) {
                EXPECT_TRUE(s.addPattern(kUntouched).selection);
            }
            s.show(int(i));
            s.setComment(0, names[i]);
            s.endBurst();
            EXPECT_FALSE(s.attachPicture(int(i), 1, picture, kWide));
        }
        s.show(0);
        EXPECT_TRUE(s.save(dir / "set", "", {}).saved);
    }
};

using Command = std::function<std::optional<Selection>(Session&)>;

bool sameContent(const puzzle::Document& a, const puzzle::Document& b) {
    return a.table == b.table && a.state.lastIndex == b.state.lastIndex &&
           a.state.password == b.state.password && a.state.vendorFlag == b.state.vendorFlag &&
           a.state.currentFilePath == b.state.currentFilePath;
}

template <class F> Command plain(F f) {
    return [f](Session& x) {
        f(x);
        return std::optional<Selection>();
    };
}

} // namespace

// Each command records one step named for the menu, leaves the selection the list shows,
// and undoes to exactly the state before it, showing the pattern it concerns; the document
// is unsaved after it and saved again after its undo.
TEST(EditSession, EachCommandIsOneStepThatUndoesAndRedoes) {
    const struct {
        const char* label;
        Command run;
        std::vector<std::string> after;
        std::optional<Selection> selection;
        int undoShows;
    } cases[] = {
        {"パターンの追加",
         [](Session& x) { return x.s.addPattern(kUntouched).selection; },
         {"A", "B", "C", "D", ""},
         Selection{{4}, 4},
         3},
        {"パターンの削除",
         [](Session& x) {
             return x.s.deletePatterns(kUntouched, {1, 3}).selection;
         },
         {"A", "C"},
         Selection{{0}, 0},
         1},
        // A block moves as a whole; the caret lands where the last pattern moved went.
        {"パターンの移動",
         [](Session& x) {
             return x.s.moveByOne(kUntouched, {2, 3}, -1).selection;
         },
         {"A", "C", "D", "B"},
         Selection{{1, 2}, 2},
         1},
        {"パターンの移動",
         [](Session& x) {
             return x.s.moveByOne(kUntouched, {0, 1}, 1).selection;
         },
         {"C", "A", "B", "D"},
         Selection{{1, 2}, 1},
         2},
        // Dropped at the end; the caret moves with its pattern.
        {"パターンの移動",
         [](Session& x) {
             return x.s.moveTo(kUntouched, {0, 2}, 4, 2).selection;
         },
         {"B", "D", "A", "C"},
         Selection{{2, 3}, 3},
         2},
        {"パターンの複製",
         [](Session& x) { return x.s.duplicateShown(kUntouched).selection; },
         {"A", "A", "B", "C", "D"},
         Selection{{1}, 1},
         1},
        {"画像からパターンを追加",
         [](Session& x) {
             return x.s.addPicturePatterns(kUntouched, {x.picture, x.picture}, {kWide, kWide})
                 .selection;
         },
         {"A", "B", "C", "D", "", ""},
         Selection{{4}, 4},
         3},
        {"画像の追加",
         plain([](Session& x) { EXPECT_FALSE(x.s.attachPicture(2, 0, x.picture, kWide)); }),
         {"A", "B", "C", "D"},
         std::nullopt,
         2},
        {"画像の削除",
         plain([](Session& x) { x.s.deletePicture(3, 1); }),
         {"A", "B", "C", "D"},
         std::nullopt,
         3},
        {"ピース数の変更",
         plain([](Session& x) { x.s.choosePieceCount(48); }),
         {"A", "B", "C", "D"},
         std::nullopt,
         0},
        {"ピース回転の変更",
         plain([](Session& x) { x.s.setRotation(1); }),
         {"A", "B", "C", "D"},
         std::nullopt,
         0},
        {"完成ＣＧ表示後のコメントの入力",
         plain([](Session& x) { x.s.show(1), x.s.setComment(1, "x"), x.s.setComment(1, "xy"); }),
         {"A", "B", "C", "D"},
         std::nullopt,
         1},
        {"パスワードの変更",
         plain([](Session& x) { x.s.setPassword("p"), x.s.setPassword("pw"); }),
         {"A", "B", "C", "D"},
         std::nullopt,
         0},
        {"ベンダー情報付加の変更",
         plain([](Session& x) { x.s.setVendorFlag(1); }),
         {"A", "B", "C", "D"},
         std::nullopt,
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label + (" " + std::to_string(c.undoShows)));
        Session x;
        const puzzle::Document before = x.s.document();
        const std::string labelBefore = x.s.undoLabel();
        ASSERT_FALSE(x.s.unsaved());
        EXPECT_EQ(c.run(x), c.selection);
        EXPECT_EQ(comments(x.s), c.after);
        EXPECT_EQ(x.s.undoLabel(), c.label);
        EXPECT_TRUE(x.s.unsaved());
        const puzzle::Document after = x.s.document();
        ASSERT_FALSE(sameContent(after, before));

        EXPECT_EQ(x.s.undo(), c.undoShows);
        expectSameDocument(x.s.document(), before);
        EXPECT_FALSE(x.s.unsaved()) << "back at the saved state";
        EXPECT_EQ(x.s.undoLabel(), labelBefore) << "one step";
        EXPECT_TRUE(x.s.redo());
        expectSameDocument(x.s.document(), after);
    }
}

// Commands that cannot run say why (or, where a user expects nothing, say nothing), record
// no step and change nothing, not even by storing the screen.
TEST(EditSession, CommandsThatCannotRunChangeNothing) {
    const ShownDetails screen{48, 1, "typed", std::nullopt};
    const struct {
        bool full; // 200 patterns first
        std::function<session::TableResult(EditSession&)> run;
        const char* refusal; // empty: nothing said
    } cases[] = {
        {false,
         [&](EditSession& s) {
             return s.deletePatterns(screen, {0, 1, 2, 3});
         },
         "すべてのパターンを削除することはできません。"},
        {false, [&](EditSession& s) { return s.deletePatterns(screen, {}); }, ""},
        {true, [&](EditSession& s) { return s.addPattern(screen); },
         "パターンは２００個までしか追加できません。"},
        {true, [&](EditSession& s) { return s.duplicateShown(screen); },
         "パターンは２００個までしか追加できません。"},
        {false,
         [&](EditSession& s) {
             return s.moveByOne(screen, {0, 2}, -1);
         },
         ""},
        {false, [&](EditSession& s) { return s.moveByOne(screen, {3}, 1); }, ""},
        {false, [&](EditSession& s) { return s.moveByOne(screen, {}, 1); }, ""},
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        SCOPED_TRACE(k);
        Session x;
        while (cases[k].full && x.s.document().patternCount() < puzzle::kMaxPatterns)
            (void)x.s.addPattern(kUntouched);
        const puzzle::Document before = x.s.document();
        const std::string undo = x.s.undoLabel();
        const session::TableResult result = cases[k].run(x.s);
        EXPECT_FALSE(result.selection);
        EXPECT_EQ(result.refusal ? result.refusal->text : "", cases[k].refusal);
        expectSameDocument(x.s.document(), before);
        EXPECT_EQ(x.s.undoLabel(), undo);
    }
    // Dropped where they already were: the screen is stored, nothing else happens.
    Session x;
    const std::string undo = x.s.undoLabel();
    EXPECT_FALSE(x.s.moveTo(screen, {1, 2}, 1, 1).selection);
    EXPECT_EQ(x.s.undoLabel(), undo);
    EXPECT_FALSE(x.s.unsaved());
    EXPECT_EQ(x.s.document().pattern(0).rotation, 1);
}

// "Unsaved" has one answer: an edit notification, a step, or an undo that leaves the saved
// state make it true; a save, a reset, an open and an undo back to the saved state false.
TEST(EditSession, UnsavedIsTheSessionsOneAnswer) {
    TempDir dir;
    EditSession s(dir / "history", true);
    const std::string picture = dir / "p.bmp";
    writeFile(picture, pictureBytes(64));
    const struct {
        const char* what;
        std::function<void()> run;
        bool unsaved;
    } steps[] = {
        {"focus", [&] { s.markEdited(); }, true},
        {"undo without a step keeps it", [&] { EXPECT_FALSE(s.undo()); }, true},
        {"reset", [&] { s.reset(); }, false},
        {"a picture", [&] { EXPECT_FALSE(s.attachPicture(0, 0, picture, kWide)); }, true},
        {"undo to the saved state", [&] { EXPECT_EQ(s.undo(), 0); }, false},
        {"redo", [&] { EXPECT_EQ(s.redo(), 0); }, true},
        {"save", [&] { EXPECT_TRUE(s.save(dir / "set", "", {}).saved); }, false},
        {"the same rotation again is still an edit", [&] { s.setRotation(0); }, true},
        {"new", [&] { s.newDocument(); }, false},
        {"undo of new", [&] { EXPECT_EQ(s.undo(), 0); }, true},
        {"a cancelled save keeps it",
         [&] { EXPECT_FALSE(s.save(dir / "x", "", [](auto, auto) { return false; }).saved); },
         true},
        {"open",
         [&] {
             puzzle::ReadResult read = puzzle::ReadPuzzleDataFile(dir / "set.ADX");
             ASSERT_TRUE(read.file);
             s.open(*read.file);
         },
         false},
        {"undo of open", [&] { EXPECT_TRUE(s.undo()); }, true},
    };
    int notified = 0;
    s.setChangeListener([&] { ++notified; });
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        const int before = notified;
        const bool was = s.unsaved();
        step.run();
        EXPECT_EQ(s.unsaved(), step.unsaved);
        if (was != step.unsaved) {
            EXPECT_GT(notified, before) << "the window hears of every change";
        }
    }
}

// Pictures become patterns in the order given, each in both slots with the smallest count
// its grids offer; a new document's blank pattern takes the first. What cannot be used is
// named with its reason after the limit's message, and leaves no trace.
TEST(EditSession, PicturesBecomePatternsAndRefusedOnesAreNamed) {
    TempDir dir;
    EditSession s(dir / "history", true);
    const std::string good = dir / "good.bmp";
    writeFile(good, pictureBytes(100));
    const PictureFacts damaged{puzzle::UserMessage{"damaged", "情報", puzzle::MessageIcon::Error},
                               320, 240};
    const session::PicturePatternsResult r = s.addPicturePatterns(
        kUntouched, {good, dir / "bad.jpg", dir / "small.bmp", dir / "gone.bmp", good},
        {kWide, damaged, kSmall, kWide, kWide});
    EXPECT_EQ(r.selection, (Selection{{0}, 0}));
    ASSERT_EQ(s.document().patternCount(), 2);
    for (int i = 0; i < 2; ++i) {
        const puzzle::PatternRecord& p = s.document().pattern(i);
        EXPECT_EQ(p.sourceFiles[0], good);
        EXPECT_EQ(p.sourceFiles[1], good);
        EXPECT_EQ(p.pieceCount, 6);
    }
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].text,
              "次の画像は追加できませんでした。\nbad.jpg  damaged\nsmall.bmp  "
              "幅・高さが２００ドット以下ＣＧは、設定することが出来ません。\ngone.bmp  " +
                  puzzle::messages::PictureCannotBeOpened(ENOENT).text);
    EXPECT_EQ(r.messages[0].icon, puzzle::MessageIcon::Error);
    EXPECT_EQ(s.undoLabel(), "画像からパターンを追加");

    // Up to 200 patterns; the rest are left with the limit's message first.
    while (s.document().patternCount() < puzzle::kMaxPatterns - 1)
        (void)s.addPattern(kUntouched);
    const session::PicturePatternsResult full =
        s.addPicturePatterns(kUntouched, {dir / "bad.jpg", good, good}, {damaged, kWide, kWide});
    EXPECT_EQ(full.selection, (Selection{{199}, 199}));
    ASSERT_EQ(full.messages.size(), 2u);
    EXPECT_EQ(full.messages[0].text,
              "パターンは２００個までしか追加できません。残りの画像は追加されませんでした。");
    EXPECT_EQ(full.messages[1].text, "次の画像は追加できませんでした。\nbad.jpg  damaged");
    const session::PicturePatternsResult none = s.addPicturePatterns(kUntouched, {good}, {kWide});
    EXPECT_FALSE(none.selection);
    ASSERT_EQ(none.messages.size(), 1u);
    EXPECT_EQ(none.messages[0].text, "パターンは２００個までしか追加できません。");
}

// A picture is attached only when the decoder can use it, and a puzzle picture only when it
// offers piece counts; a refusal records nothing.
TEST(EditSession, APictureThatCannotBeUsedIsRefused) {
    Session x;
    const PictureFacts damaged{puzzle::UserMessage{"damaged", "情報", puzzle::MessageIcon::Error},
                               320, 240};
    const struct {
        int slot;
        std::string file;
        const PictureFacts* facts;
        std::string refusal; // empty: attached
    } cases[] = {
        {0, x.picture, &damaged, "damaged"},
        {0, x.picture, &kSmall, "幅・高さが２００ドット以下ＣＧは、設定することが出来ません。"},
        {1, x.picture, &kSmall, ""},
        {0, x.dir / "gone.bmp", &kWide, puzzle::messages::PictureCannotBeOpened(ENOENT).text},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.refusal);
        const puzzle::Document before = x.s.document();
        const std::string undo = x.s.undoLabel();
        const auto refusal = x.s.attachPicture(0, c.slot, c.file, *c.facts);
        EXPECT_EQ(refusal ? refusal->text : "", c.refusal);
        if (refusal) {
            expectSameDocument(x.s.document(), before);
            EXPECT_EQ(x.s.undoLabel(), undo);
        }
    }
}

// The check before saving commits the screen first and names the first pattern without
// any picture.
TEST(EditSession, TheSaveCheckNamesThePatternWithoutAPicture) {
    Session x;
    (void)x.s.addPattern(kUntouched);
    (void)x.s.addPattern(kUntouched);
    x.s.show(1);
    const auto missing = x.s.checkBeforeSave({12, 1, "checked", std::nullopt});
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->pattern, 4);
    EXPECT_EQ(missing->message.text, "ﾊﾟﾀｰﾝ5 のＣＧが抜けています。保存できません。");
    const puzzle::PatternRecord& shown = x.s.document().pattern(1);
    EXPECT_EQ(puzzle::fieldText(shown.clearComment), "checked");
    EXPECT_EQ(shown.pieceCount, 12);
    EXPECT_EQ(shown.rotation, 1);
}
