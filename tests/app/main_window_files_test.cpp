#include "app/main_window.h"

#include "puzzle/open.h"
#include "window_driver.h"

#include <gtest/gtest.h>

using namespace pdt;
using namespace pdt::test;
using app::DialogVariant;

namespace {

PatternSpec pattern(const char* clearComment, size_t puzzleSize, size_t finishedSize,
                    std::uint8_t rotation = 0) {
    PatternSpec p;
    puzzle::setFieldText(p.record.clearComment, cp932(clearComment));
    puzzle::setFieldText(p.record.puzzleImagePath, "C:\\pictures\\a.bmp");
    p.record.rotation = rotation;
    p.puzzle = pictureBytes(puzzleSize, std::uint8_t(puzzleSize));
    p.finished = pictureBytes(finishedSize, std::uint8_t(finishedSize + 3));
    return p;
}

// What the engine reads back from a saved file.
puzzle::OpenedFile reread(const QString& path) {
    puzzle::ReadResult r = puzzle::ReadPuzzleDataFile(path.toStdString());
    EXPECT_TRUE(r.file) << path.toStdString();
    return r.file.value_or(puzzle::OpenedFile{});
}

std::vector<int> vendorBytes(const QString& path) {
    std::vector<int> flags;
    for (const puzzle::PatternRecord& r : reread(path).walk.records)
        flags.push_back(r.vendorInfo);
    return flags;
}

const std::vector<app::FileFilter> kJoinedFiles{{"連結ﾌｧｲﾙ(*.ADX)", "*.ADX"}};

class WindowFiles : public WindowTest {
  protected:
    QString threePatterns(const char* name = "set.ADX", std::string_view password = {},
                          std::uint8_t vendor = 0) {
        writeFile(path(name), buildFile({pattern("一つ目", 40, 30, 1), pattern("二つ目", 50, 0),
                                         pattern("三つ目", 0, 60)},
                                        password, vendor));
        return path(name);
    }
};

} // namespace

// Opening replaces the document and shows pattern 1; what is then edited on screen is saved
// under the name chosen, the original left as it was, and reads back the same.
TEST_F(WindowFiles, OpenEditSaveAndReopenGiveTheEditedDocument) {
    const QString original = threePatterns("original.ADX", "pass");
    const Bytes originalBytes = readFile(original);
    EditorWindow w;
    w.makePatterns({"old 1", "old 2", "old 3", "old 4", "old 5"});
    w.prompts.passwordEntries.push_back({"pass"});
    w.open(original);
    ASSERT_EQ(w.prompts.openRequests.size(), 1u);
    EXPECT_EQ(w.prompts.openRequests[0].title, "開く");
    EXPECT_EQ(w.prompts.openRequests[0].filters, kJoinedFiles);
    EXPECT_TRUE(w.prompts.messages.empty());
    EXPECT_EQ(w.entries(), (std::vector<QString>{"  1 ﾊﾟﾀｰﾝ", "  2 ﾊﾟﾀｰﾝ", "  3 ﾊﾟﾀｰﾝ"}));
    EXPECT_EQ(w.selectedRows(), std::vector<int>{0});
    EXPECT_EQ(w.title(), QString::fromUtf8("パズルデータ作成ツール (%1)").arg(original));
    EXPECT_FALSE(w.state().dirty);
    EXPECT_EQ(w.clearComment()->toPlainText(), QString::fromUtf8("一つ目"));
    EXPECT_TRUE(w.rotation()->isChecked());
    EXPECT_EQ(w.password()->text(), "pass");
    for (int i = 3; i < puzzle::kMaxPatterns; ++i)
        ASSERT_EQ(w.doc().pattern(i), puzzle::PatternRecord{}) << i;
    // The dialog offers the previous choice next time; cancelling it keeps the document.
    w.open("");
    EXPECT_EQ(w.prompts.openRequests[1].proposed, original);
    EXPECT_EQ(w.state().currentFilePath, original.toStdString());

    // Pattern 3 moves up to second place; then pattern 2 (formerly 3) is edited.
    w.clickRow(2);
    w.click("IDC_MOVE_UP");
    ASSERT_EQ(w.state().currentPattern, 1);
    w.typeInto(w.clearComment(), QString::fromUtf8("書き換えた\n二行目"));
    w.typeInto(w.finishComment(), "finish");
    QTest::mouseClick(w.rotation(), Qt::LeftButton);
    w.typeInto(w.password(), QString::fromUtf8("新しい"));
    const QString saved = path("edited"); // saved as edited.ADX
    w.saveAs(saved);
    ASSERT_EQ(w.prompts.saveRequests.size(), 1u);
    EXPECT_EQ(w.prompts.saveRequests[0].title, "保存");
    EXPECT_EQ(w.prompts.saveRequests[0].filters, kJoinedFiles);
    EXPECT_EQ(w.prompts.saveRequests[0].proposed, original);
    EXPECT_EQ(w.prompts.messages, std::vector<ShownMessage>{shown("ファイルを保存しました。")});
    EXPECT_FALSE(w.state().dirty);
    EXPECT_EQ(w.state().currentFilePath, (saved + ".ADX").toStdString());
    EXPECT_EQ(readFile(original), originalBytes) << "the original stays as it was";
    const puzzle::PatternRecord& edited = w.doc().pattern(1);
    EXPECT_EQ(puzzle::fieldText(edited.clearComment), cp932("書き換えた\r\n二行目"));
    EXPECT_EQ(puzzle::fieldText(edited.finishComment), "finish");
    EXPECT_EQ(edited.rotation, 1);
    EXPECT_EQ(puzzle::fieldText(w.doc().pattern(2).clearComment), cp932("二つ目"));

    EditorWindow again;
    again.prompts.passwordEntries.push_back({QString::fromUtf8("新しい")});
    again.open(saved + ".ADX");
    EXPECT_EQ(storedPart(again.doc()), storedPart(w.doc()));
    EXPECT_EQ(again.state().password, cp932("新しい"));
    again.clickRow(1);
    EXPECT_EQ(again.clearComment()->toPlainText(), QString::fromUtf8("書き換えた\n二行目"));
}

TEST_F(WindowFiles, APasswordIsAskedAndComparedExactly) {
    const struct {
        const char* name;
        std::vector<QString> entries;
        bool opens;
        size_t refusals;
    } cases[] = {
        {"wrong case, then cancel", {QString::fromUtf8("秘密key")}, false, 1},
        {"wrong, then right", {"x", QString::fromUtf8("秘密Key")}, true, 1},
    };
    const QString file = threePatterns("locked.ADX", cp932("秘密Key"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EditorWindow w;
        w.makePatterns({"A", "B"});
        w.clickRow(1);
        const puzzle::PatternTable before = w.doc().table;
        const QString title = w.title();

        w.prompts.passwordEntries.push_back(c.entries);
        w.open(file);
        EXPECT_EQ(w.prompts.passwordPrompts, 1);
        EXPECT_EQ(w.prompts.messages,
                  std::vector<ShownMessage>(c.refusals, {"パスワードが違います。", "情報",
                                                         puzzle::MessageIcon::None, "PASSWORD"}));
        if (c.opens) {
            EXPECT_EQ(w.list()->count(), 3);
            EXPECT_EQ(w.password()->text(), QString::fromUtf8("秘密Key"));
            EXPECT_EQ(w.state().password, cp932("秘密Key"));
            EXPECT_FALSE(w.state().dirty);
        } else {
            EXPECT_EQ(w.doc().table, before);
            EXPECT_EQ(w.title(), title);
            EXPECT_EQ(w.selectedRows(), std::vector<int>{1});
            EXPECT_EQ(w.clearComment()->toPlainText(), "B");
            EXPECT_EQ(w.password()->text(), "");
        }
    }
}

// A file that is refused, or a path that does not exist, changes nothing; a damaged file
// opens with the engine's warning.
TEST_F(WindowFiles, ARefusedFileChangesNothingADamagedOneOpensWithTheEnginesWarning) {
    Bytes lower = buildFile({pattern("x", 10, 10)});
    lower[0] = 'a';
    writeFile(path("lower.ADX"), lower);
    EditorWindow w;
    w.makePatterns({"A", "B"});
    const puzzle::PatternTable before = w.doc().table;
    w.open(path("lower.ADX"));
    w.open(path("missing.ADX"));
    ASSERT_EQ(w.prompts.messages.size(), 2u);
    EXPECT_EQ(w.prompts.messages[0], shown("このファイルは連結されたファイルではありません。"));
    EXPECT_EQ(w.doc().table, before);
    EXPECT_EQ(w.state().currentFilePath, "新規.ADX");

    Bytes bytes = buildFile({pattern("one", 10, 10), pattern("two", 10, 10)});
    bytes.resize(bytes.size() - 5); // the last picture runs past the end
    writeFile(path("damaged.ADX"), bytes);
    const auto warning = puzzle::DamageWarning(reread(path("damaged.ADX")));
    ASSERT_TRUE(warning);
    w.prompts.messages.clear();
    w.open(path("damaged.ADX"));
    EXPECT_EQ(w.prompts.messages, (std::vector<ShownMessage>{{warning->text, warning->caption,
                                                              warning->icon, "PZ_BIND"}}));
    EXPECT_EQ(w.list()->count(), int(reread(path("damaged.ADX")).walk.records.size()));
}

// The saved flag is what the box shows; a password nobody touched is saved as it was. The
// variant without the box neither shows nor keeps the flag.
TEST_F(WindowFiles, TheSavedVendorFlagAndPasswordAreWhatTheWindowShows) {
    const QString file = threePatterns("vendor.ADX", "pass", 1);
    EditorWindow w(DialogVariant::PZ_BIND2);
    w.prompts.passwordEntries.push_back({"pass"});
    w.open(file);
    auto* box = w.find<QCheckBox>("IDC_VENDOR_INFO");
    EXPECT_TRUE(box->isChecked());
    w.saveAs(file); // over the file it came from
    EXPECT_EQ(vendorBytes(file), (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(reread(file).password, "pass");
    QTest::mouseClick(box, Qt::LeftButton);
    w.saveAs(path("cleared.ADX"));
    EXPECT_EQ(vendorBytes(path("cleared.ADX")), (std::vector<int>{0, 0, 0}));
    QTest::mouseClick(box, Qt::LeftButton);
    w.trigger("IDM_NEW");
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(w.state().vendorFlag, 0);

    EditorWindow plain(DialogVariant::PZ_BIND);
    plain.prompts.passwordEntries.push_back({"pass"});
    plain.open(file);
    EXPECT_EQ(plain.state().vendorFlag, 0);
    plain.saveAs(path("plain.ADX"));
    EXPECT_EQ(vendorBytes(path("plain.ADX")), (std::vector<int>{0, 0, 0}));
}

TEST_F(WindowFiles, ACancelledSaveChangesNothing) {
    const QString file = threePatterns();
    EditorWindow w;
    w.open(file);
    w.typeInto(w.finishComment(), "typed");

    // Cancelled in the dialog: only the commit before it took place.
    w.saveAs("");
    EXPECT_TRUE(w.prompts.messages.empty());
    EXPECT_TRUE(w.state().dirty);
    EXPECT_EQ(puzzle::fieldText(w.doc().pattern(0).finishComment), "typed");
    const puzzle::Document before = w.doc();

    // Cancelled in the progress dialog: the target is not created, the document unchanged.
    w.prompts.cancelProgressAt = 1;
    w.saveAs(path("never.ADX"));
    EXPECT_GE(w.prompts.progressUpdates, 1);
    EXPECT_TRUE(w.prompts.messages.empty());
    EXPECT_TRUE(QDir(dir.path()).entryList({"never*"}, QDir::Files).isEmpty());
    EXPECT_TRUE(w.state().dirty);
    EXPECT_EQ(w.state().currentFilePath, file.toStdString());
    EXPECT_EQ(storedPart(w.doc()), storedPart(before));
}
