// Nothing an author does is lost: every change undoes and redoes, the unsaved state is
// exact, an undo past a save never brings back the wrong picture, and commands that cannot
// run say why and change nothing.

#include "window_driver.h"

#include <gtest/gtest.h>

#include <functional>

using namespace pdt;
using namespace pdt::test;

namespace {

// What undo and redo bring back: the whole document, not the window's own state.
struct Content {
    puzzle::PatternTable table;
    int lastIndex;
    std::string password;
    int vendorFlag;
    std::string file;

    explicit Content(const puzzle::Document& d)
        : table(d.table), lastIndex(d.state.lastIndex), password(d.state.password),
          vendorFlag(d.state.vendorFlag), file(d.state.currentFilePath) {}
    bool operator==(const Content&) const = default;
};

class EditingSafety : public WindowTest {
  protected:
    // Patterns A, B, C; B has both pictures, C a puzzle picture.
    void threePatterns(EditorWindow& w) const {
        w.makePatterns({"A", "B", "C"});
        w.clickRow(1);
        w.attach(0, picture("b.bmp", 320, 240, Qt::green));
        w.attach(1, picture("b-done.bmp", 320, 240, Qt::blue));
        w.clickRow(2);
        w.attach(0, picture("c.bmp", 320, 240, Qt::yellow));
        w.clickRow(0);
    }

    static QRgb shownCentre(const EditorWindow& w, int slot) {
        const QImage& s = slot == 0 ? w.window->previewSurfaces().puzzleSurface.image
                                    : w.window->previewSurfaces().finishedSurface.image;
        return s.pixel(s.width() / 2, s.height() / 2);
    }
};

} // namespace

TEST_F(EditingSafety, EveryChangeUndoesAndRedoesShowingThePatternItConcerns) {
    PatternSpec stored;
    puzzle::setFieldText(stored.record.clearComment, "opened");
    stored.puzzle = pictureBytes(64);
    writeFile(path("other.ADX"), buildFile({stored}));
    const QString extra = picture("extra.bmp", 320, 240, Qt::cyan);
    // Picture commands act on the pattern shown, wherever the caret of the list is.
    const auto caretAway = [](EditorWindow& w) {
        w.list()->setFocus();
        QTest::keyClick(w.list(), Qt::Key_End, Qt::ControlModifier);
        EXPECT_EQ(w.caret(), 2);
    };

    const struct {
        const char* name;
        std::function<void(EditorWindow&)> change;
        int shown; // the pattern shown after the undo
    } cases[] = {
        {"add", [](EditorWindow& w) { w.click("IDC_ADD_PATTERN"); }, 2},
        {"delete", [](EditorWindow& w) { w.clickRow(1), w.click("IDC_DELETE_PATTERN"); }, 1},
        {"move up", [](EditorWindow& w) { w.clickRow(2), w.click("IDC_MOVE_UP"); }, 1},
        {"move down", [](EditorWindow& w) { w.click("IDC_MOVE_DOWN"); }, 1},
        {"duplicate", [](EditorWindow& w) { w.clickRow(1), w.trigger("IDM_DUPLICATE"); }, 2},
        {"attach", [&](EditorWindow& w) { w.clickRow(1), caretAway(w), w.attach(0, extra); }, 1},
        {"delete picture",
         [&](EditorWindow& w) { w.clickRow(1), caretAway(w), w.click("IDC_DELETE_PUZZLE_IMAGE"); },
         1},
        {"piece count", [](EditorWindow& w) { w.clickRow(2), w.choosePieceCount("12"); }, 2},
        {"rotation", [](EditorWindow& w) { w.click("IDC_ROTATION"); }, 0},
        {"comment", [](EditorWindow& w) { w.typeInto(w.finishComment(), "typed"); }, 0},
        {"password", [](EditorWindow& w) { w.typeInto(w.password(), "pw"); }, 0},
        {"vendor", [](EditorWindow& w) { w.click("IDC_VENDOR_INFO"); }, 0},
        {"new", [](EditorWindow& w) { w.trigger("IDM_NEW"); }, 0},
        {"open", [&](EditorWindow& w) { w.open(path("other.ADX")); }, 0},
        {"drop", [&](EditorWindow& w) { w.dropFiles({path("other.ADX")}); }, 0},
        {"pictures",
         [&](EditorWindow& w) {
             w.prompts.openManyChoices.push_back({extra});
             w.trigger("IDM_ADD_FROM_PICTURES");
         },
         2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EditorWindow w(app::DialogVariant::PZ_BIND2);
        threePatterns(w);
        const Content before(w.doc());
        c.change(w);
        const Content after(w.doc());
        ASSERT_FALSE(after == before) << "the change changed nothing";
        EXPECT_TRUE(w.find<QAction>("IDM_UNDO")->isEnabled());

        w.trigger("IDM_UNDO");
        EXPECT_TRUE(Content(w.doc()) == before);
        EXPECT_EQ(w.selectedRows(), std::vector<int>{c.shown});
        EXPECT_EQ(w.shown(), c.shown);
        EXPECT_TRUE(w.entry(c.shown).data(Qt::FontRole).value<QFont>().bold())
            << "the entry shown is marked";
        EXPECT_EQ(w.clearComment()->toPlainText().toStdString(), w.storedClearComment(c.shown));
        EXPECT_EQ(w.entries().size(), size_t(before.lastIndex + 1));
        EXPECT_TRUE(w.find<QAction>("IDM_REDO")->isEnabled());

        w.trigger("IDM_REDO");
        EXPECT_TRUE(Content(w.doc()) == after);
        EXPECT_TRUE(w.prompts.messages.empty());
    }
}

TEST_F(EditingSafety, TypingIsOneStepPerBoxAndBurst) {
    EditorWindow w;
    w.clearComment()->setFocus();
    typeText(w.clearComment(), "abc");
    typeText(w.clearComment(), "def");
    settle();
    QAction* undo = w.find<QAction>("IDM_UNDO");
    EXPECT_EQ(undo->toolTip(), QString::fromUtf8("元に戻す: パズル完成後のコメントの入力"));
    w.finishComment()->setFocus();
    typeText(w.finishComment(), "xyz");
    w.clearComment()->setFocus(); // leaving a box ends its burst
    typeText(w.clearComment(), "!");
    settle();
    EXPECT_EQ(w.storedClearComment(0), "abcdef!");

    // Ctrl+Z in a box is the window's undo, one burst at a time.
    QTest::keyClick(w.clearComment(), Qt::Key_Z, Qt::ControlModifier);
    settle();
    EXPECT_EQ(w.storedClearComment(0), "abcdef");
    EXPECT_EQ(w.clearComment()->toPlainText(), "abcdef");
    w.trigger("IDM_UNDO");
    EXPECT_EQ(std::string(puzzle::fieldText(w.doc().pattern(0).finishComment)), "");
    w.trigger("IDM_UNDO");
    EXPECT_EQ(w.storedClearComment(0), "");
    EXPECT_FALSE(undo->isEnabled());
}

TEST_F(EditingSafety, TheUnsavedStateIsExactAcrossUndoAndRedo) {
    EditorWindow w;
    w.attach(0, picture("a.bmp"));
    w.saveAs(path("set.ADX"));
    ASSERT_FALSE(w.unsaved());
    w.typeInto(w.clearComment(), "changed");
    w.list()->setFocus();
    settle();
    EXPECT_TRUE(w.title().endsWith('*'));
    w.trigger("IDM_UNDO");
    EXPECT_FALSE(w.unsaved());
    EXPECT_FALSE(w.title().endsWith('*'));
    w.trigger("IDM_REDO");
    EXPECT_TRUE(w.unsaved());
    w.trigger("IDM_UNDO");
    w.trigger("IDM_UNDO"); // past the save: the picture is gone again
    EXPECT_TRUE(w.unsaved());
    w.trigger("IDM_REDO");
    EXPECT_TRUE(w.window->close()) << "back at the saved state: no question";
    EXPECT_TRUE(w.prompts.questions.empty());
}

TEST_F(EditingSafety, UndoPastASaveNeverShowsOrSavesTheWrongBytes) {
    EditorWindow w;
    threePatterns(w);
    w.attach(0, picture("a.bmp", 320, 240, Qt::magenta));
    w.saveAs(path("set.ADX"));
    const Bytes original = readFile(path("set.ADX"));

    // Pattern B leaves the file that is then saved over.
    w.clickRow(1);
    w.click("IDC_DELETE_PATTERN");
    w.trigger("IDM_SAVE_OVER");
    ASSERT_NE(readFile(path("set.ADX")), original);
    w.trigger("IDM_UNDO");
    ASSERT_EQ(w.doc().patternCount(), 3);
    EXPECT_EQ(shownCentre(w, 0), QColor(Qt::green).rgb());
    EXPECT_EQ(shownCentre(w, 1), QColor(Qt::blue).rgb());

    w.trigger("IDM_SAVE_OVER");
    EXPECT_EQ(readFile(path("set.ADX")), original);
    w.saveAs(path("copy.ADX"));
    EXPECT_EQ(readFile(path("copy.ADX")), original);
}

// Picture commands that cannot run say why, open no dialog and change nothing; the save's
// check shows the pattern it names. (The table commands' refusals are the session's.)
TEST_F(EditingSafety, CommandsThatCannotRunSayWhyAndChangeNothing) {
    PatternSpec finishedOnly; // pattern 1 of the set: only a finished picture
    puzzle::setFieldText(finishedOnly.record.finishedImagePath, "C:\\pictures\\done.bmp");
    finishedOnly.finished = pictureBytes(64);
    PatternSpec emptyPicture; // pattern 2: a puzzle picture file of no bytes
    puzzle::setFieldText(emptyPicture.record.puzzleImagePath, "C:\\pictures\\empty.bmp");
    writeFile(path("set.ADX"), buildFile({finishedOnly, emptyPicture}));
    const QString photo = picture("photo.bmp");
    const auto error = [](const char* text) { return shown(text, puzzle::MessageIcon::Error); };
    const auto none = [](EditorWindow&) {};
    const auto two = [](EditorWindow& w) {
        w.makePatterns({"A", "B"}), w.clickRow(0, Qt::ControlModifier);
    };
    const auto opened = [&](EditorWindow& w) { w.open(path("set.ADX")); };
    const auto second = [&](EditorWindow& w) { opened(w), w.clickRow(1); };
    const auto unfinished = [&](EditorWindow& w) {
        w.attach(0, photo), w.makePatterns({"A", "B"}), w.clickRow(0);
    };
    const char* const pictureCommands = "IDC_ADD_PUZZLE_IMAGE IDC_ADD_FINISHED_IMAGE "
                                        "IDC_EXTRACT_PUZZLE_IMAGE IDC_EXTRACT_FINISHED_IMAGE";

    const struct {
        std::function<void(EditorWindow&)> setUp;
        const char* commands; // each says why it cannot run
        ShownMessage message;
        int shows; // the pattern shown afterwards; -1: the one shown before
    } cases[] = {
        {two, pictureCommands, error("複数のパターンが選択されています。"), -1},
        // Nothing joined in a new document comes before the empty slot.
        {none, "IDC_EXTRACT_PUZZLE_IMAGE", error("この位置の画像はまだ連結されていません。"), -1},
        // The stored offset of an empty slot is not 0.
        {opened, "IDC_EXTRACT_PUZZLE_IMAGE", error("この位置には画像が設定されていません。"), -1},
        {second, "IDC_EXTRACT_PUZZLE_IMAGE", error("この位置の画像はファイルサイズが不正です。"),
         -1},
        {unfinished, "IDM_SAVE", error("ﾊﾟﾀｰﾝ2 のＣＧが抜けています。保存できません。"), 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.text);
        EditorWindow w;
        c.setUp(w);
        settle();
        const puzzle::PatternTable before = w.doc().table;
        const int shownBefore = w.shown();
        const size_t dialogs = w.prompts.openRequests.size();
        w.prompts.messages.clear();
        const QStringList commands = QString(c.commands).split(' ');
        for (const QString& command : commands)
            w.use(command.toUtf8().constData());
        EXPECT_EQ(w.prompts.messages, std::vector<ShownMessage>(commands.size(), c.message));
        EXPECT_EQ(w.prompts.openRequests.size(), dialogs);
        EXPECT_TRUE(w.prompts.saveRequests.empty());
        EXPECT_TRUE(w.doc().table == before);
        EXPECT_EQ(w.entryCount(), w.doc().patternCount());
        EXPECT_EQ(w.shown(), c.shows < 0 ? shownBefore : c.shows);
        EXPECT_EQ(w.clearComment()->toPlainText().toStdString(), w.storedClearComment(w.shown()));
    }
}
