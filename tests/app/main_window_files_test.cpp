#include "app/main_window.h"

#include "puzzle/open.h"
#include "window_driver.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace pdt;
using namespace pdt::test;
using app::DialogVariant;

namespace {

PatternSpec pattern(const char* clearComment, size_t puzzleSize, size_t finishedSize,
                    std::int16_t pieceCount = 0, std::uint8_t rotation = 0) {
    PatternSpec p;
    puzzle::setFieldText(p.record.clearComment, cp932(clearComment));
    puzzle::setFieldText(p.record.puzzleImagePath, "C:\\pictures\\a.bmp");
    p.record.pieceCount = pieceCount;
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

std::vector<int> vendorBytes(const puzzle::OpenedFile& file) {
    std::vector<int> flags;
    for (const puzzle::PatternRecord& r : file.walk.records)
        flags.push_back(r.vendorInfo);
    return flags;
}

const ShownMessage kSaved = shown("ファイルを保存しました。");
const std::vector<app::FileFilter> kJoinedFiles{{"連結ﾌｧｲﾙ(*.ADX)", "*.ADX"}};

class WindowFiles : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QString path(const char* name) const { return QDir(dir.path()).filePath(name); }

    QString threePatterns(const char* name = "set.ADX", std::string_view password = {},
                          std::uint8_t vendor = 0) {
        const QString p = path(name);
        writeFile(p, buildFile({pattern("一つ目", 40, 30, 12, 1), pattern("二つ目", 50, 0, 20),
                                pattern("三つ目", 0, 60)},
                               password, vendor));
        return p;
    }
};

} // namespace

TEST_F(WindowFiles, OpeningReplacesTheDocumentAndShowsPatternOne) {
    EditorWindow w;
    w.makePatterns({"old 1", "old 2", "old 3", "old 4", "old 5"});
    const QString file = threePatterns();

    w.open(file);
    ASSERT_EQ(w.prompts.openRequests.size(), 1u);
    EXPECT_EQ(w.prompts.openRequests[0].title, "開く");
    EXPECT_EQ(w.prompts.openRequests[0].filters, kJoinedFiles);
    EXPECT_EQ(w.prompts.passwordPrompts, 0);
    EXPECT_TRUE(w.prompts.messages.empty());

    EXPECT_EQ(w.entries(),
              (std::vector<QString>{QString::fromUtf8("  1 ﾊﾟﾀｰﾝ"), QString::fromUtf8("  2 ﾊﾟﾀｰﾝ"),
                                    QString::fromUtf8("  3 ﾊﾟﾀｰﾝ")}));
    EXPECT_EQ(w.selectedRows(), std::vector<int>{0});
    EXPECT_EQ(w.state().lastIndex, 2);
    EXPECT_EQ(w.state().currentPattern, 0);
    EXPECT_EQ(w.state().currentFilePath, file.toStdString());
    EXPECT_EQ(w.title(), QString::fromUtf8("パズルデータ作成ツール (%1)").arg(file));
    EXPECT_FALSE(w.state().dirty);
    EXPECT_EQ(w.clearComment()->toPlainText(), QString::fromUtf8("一つ目"));
    EXPECT_TRUE(w.rotation()->isChecked());
    EXPECT_EQ(w.password()->text(), "");
    for (int i = 3; i < puzzle::kMaxPatterns; ++i)
        ASSERT_EQ(w.doc().pattern(i), puzzle::PatternRecord{}) << i;

    // The dialog offers the previous choice next time.
    w.open("");
    ASSERT_EQ(w.prompts.openRequests.size(), 2u);
    EXPECT_EQ(w.prompts.openRequests[1].proposed, file);
    EXPECT_EQ(w.state().currentFilePath, file.toStdString());
}

TEST_F(WindowFiles, APasswordIsAskedAndComparedExactly) {
    const struct {
        const char* name;
        std::vector<QString> entries;
        bool opens;
        size_t refusals;
    } cases[] = {
        {"right", {QString::fromUtf8("秘密Key")}, true, 0},
        {"wrong case, then cancel", {QString::fromUtf8("秘密key")}, false, 1},
        {"cancel", {}, false, 0},
        {"wrong, then right", {"x", QString::fromUtf8("秘密Key")}, true, 1},
    };
    const QString file = threePatterns("locked.ADX", cp932("秘密Key"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EditorWindow w;
        w.makePatterns({"A", "B"});
        w.clickRow(1);
        const puzzle::PatternTable before = w.doc().table;
        const QString title = w.window->windowTitle();

        w.prompts.passwordEntries.push_back(c.entries);
        w.open(file);
        EXPECT_EQ(w.prompts.passwordPrompts, 1);
        const ShownMessage wrong{"パスワードが違います。", "情報", puzzle::MessageIcon::None,
                                 "PASSWORD"};
        EXPECT_EQ(w.prompts.messages, std::vector<ShownMessage>(c.refusals, wrong));
        if (c.opens) {
            EXPECT_EQ(w.list()->count(), 3);
            EXPECT_EQ(w.password()->text(), QString::fromUtf8("秘密Key"));
            EXPECT_EQ(w.state().password, cp932("秘密Key"));
            EXPECT_FALSE(w.state().dirty);
        } else {
            EXPECT_EQ(w.doc().table, before);
            EXPECT_EQ(w.window->windowTitle(), title);
            EXPECT_EQ(w.list()->count(), 2);
            EXPECT_EQ(w.selectedRows(), std::vector<int>{1});
            EXPECT_EQ(w.clearComment()->toPlainText(), "B");
            EXPECT_EQ(w.state().currentFilePath, "新規.ADX");
            EXPECT_EQ(w.password()->text(), "");
        }
    }
}

TEST_F(WindowFiles, ARefusedFileChangesNothingADamagedOneOpensWithTheEnginesWarning) {
    Bytes lower = buildFile({pattern("x", 10, 10)});
    lower[0] = 'a';
    writeFile(path("lower.ADX"), lower);
    EditorWindow w;
    w.makePatterns({"A", "B"});
    const puzzle::PatternTable before = w.doc().table;
    // A path that does not exist is refused with a message too, never opened half.
    w.open(path("lower.ADX"));
    w.open(path("missing.ADX"));
    ASSERT_EQ(w.prompts.messages.size(), 2u);
    EXPECT_EQ(w.prompts.messages[0], shown("このファイルは連結されたファイルではありません。"));
    EXPECT_EQ(w.doc().table, before);
    EXPECT_EQ(w.list()->count(), 2);
    EXPECT_EQ(w.state().currentFilePath, "新規.ADX");

    Bytes bytes = buildFile({pattern("one", 10, 10), pattern("two", 10, 10)});
    bytes.resize(bytes.size() - 5); // the last picture runs past the end
    const QString damaged = path("damaged.ADX");
    writeFile(damaged, bytes);
    const auto warning = puzzle::DamageWarning(reread(damaged));
    ASSERT_TRUE(warning);
    w.prompts.messages.clear();
    w.open(damaged);
    EXPECT_EQ(w.prompts.messages, (std::vector<ShownMessage>{{warning->text, warning->caption,
                                                              warning->icon, "PZ_BIND"}}));
    EXPECT_EQ(w.list()->count(), int(reread(damaged).walk.records.size()));
    EXPECT_EQ(w.state().currentFilePath, damaged.toStdString());
}

TEST_F(WindowFiles, ADroppedFileOpensAndLeavesTheDocumentClean) {
    EditorWindow w;
    w.typeInto(w.clearComment(), "unsaved");
    ASSERT_TRUE(w.state().dirty);
    const QString file = threePatterns();
    w.dropFiles({file});
    EXPECT_TRUE(w.prompts.questions.empty());
    EXPECT_EQ(w.list()->count(), 3);
    EXPECT_EQ(w.state().currentFilePath, file.toStdString());
    EXPECT_FALSE(w.state().dirty);
    EXPECT_EQ(w.clearComment()->toPlainText(), QString::fromUtf8("一つ目"));

    // Dropped on an edit, the file is opened all the same, never pasted in as text.
    for (QWidget* edit : {static_cast<QWidget*>(w.finishComment()),
                          static_cast<QWidget*>(w.password())}) {
        w.typeInto(w.clearComment(), "unsaved");
        w.dropFiles({file}, edit);
        EXPECT_FALSE(w.state().dirty) << edit->objectName().toStdString();
        EXPECT_EQ(w.clearComment()->toPlainText(), QString::fromUtf8("一つ目"));
        EXPECT_EQ(w.password()->text(), "");
        EXPECT_FALSE(w.finishComment()->toPlainText().contains(QStringLiteral("ADX")));
    }
}

TEST_F(WindowFiles, SavingIsRefusedForTheFirstPatternWithoutPictures) {
    {
        EditorWindow w;
        w.trigger("IDM_SAVE");
        ASSERT_EQ(w.prompts.messages.size(), 1u);
        EXPECT_EQ(w.prompts.messages[0].text, "ﾊﾟﾀｰﾝ1 のＣＧが抜けています。保存できません。");
    }
    const Bytes five = buildFile({pattern("1", 10, 10), pattern("2", 0, 10), pattern("3", 0, 0),
                                  pattern("4", 10, 0), pattern("5", 0, 0)});
    const QString file = path("five.ADX");
    writeFile(file, five);
    EditorWindow w;
    w.open(file);
    w.typeInto(w.clearComment(), "edited");
    w.trigger("IDM_SAVE");
    EXPECT_EQ(w.prompts.messages,
              std::vector<ShownMessage>{shown("ﾊﾟﾀｰﾝ3 のＣＧが抜けています。保存できません。",
                                              puzzle::MessageIcon::Error)});
    EXPECT_TRUE(w.prompts.saveRequests.empty());
    EXPECT_TRUE(w.state().dirty);
    EXPECT_EQ(w.storedClearComment(0), "edited") << "the save commits before it checks";
    EXPECT_EQ(readFile(file), five);
}

TEST_F(WindowFiles, OpenEditSaveAndReopenGiveTheEditedDocument) {
    const QString original = threePatterns("original.ADX", "pass");
    const Bytes originalBytes = readFile(original);
    const QString saved = path("edited"); // saved as edited.ADX

    EditorWindow w;
    w.prompts.passwordEntries.push_back({"pass"});
    w.open(original);
    ASSERT_EQ(w.list()->count(), 3);

    // Pattern 3 moves up to second place; then pattern 2 (formerly 3) is edited.
    w.clickRow(2);
    w.click("IDC_MOVE_UP");
    ASSERT_EQ(w.state().currentPattern, 1);
    w.typeInto(w.clearComment(), QString::fromUtf8("書き換えた\n二行目"));
    w.typeInto(w.finishComment(), "finish");
    QTest::mouseClick(w.rotation(), Qt::LeftButton);
    w.window->pieceGridChoices()[0] = {3, 3};
    w.window->pieceGridChoices()[1] = {4, 3};
    w.minPieces()->addItems({"9", "12"});
    w.minPieces()->setCurrentIndex(1);
    w.typeInto(w.password(), QString::fromUtf8("新しい"));

    w.saveAs(saved);
    ASSERT_EQ(w.prompts.saveRequests.size(), 1u);
    EXPECT_EQ(w.prompts.saveRequests[0].title, "保存");
    EXPECT_EQ(w.prompts.saveRequests[0].filters, kJoinedFiles);
    EXPECT_EQ(w.prompts.saveRequests[0].proposed, original);
    EXPECT_EQ(w.prompts.messages, std::vector<ShownMessage>{kSaved});
    EXPECT_FALSE(w.state().dirty);
    EXPECT_EQ(w.state().currentFilePath, (saved + ".ADX").toStdString());
    EXPECT_EQ(readFile(original), originalBytes) << "the original stays as it was";

    const puzzle::PatternRecord& edited = w.doc().pattern(1);
    EXPECT_EQ(puzzle::fieldText(edited.clearComment), cp932("書き換えた\r\n二行目"));
    EXPECT_EQ(puzzle::fieldText(edited.finishComment), "finish");
    EXPECT_EQ(edited.rotation, 1);
    EXPECT_EQ(edited.pieceCount, 12);
    EXPECT_EQ(puzzle::fieldText(w.doc().pattern(2).clearComment), cp932("二つ目"));

    EditorWindow again;
    again.prompts.passwordEntries.push_back({QString::fromUtf8("新しい")});
    again.open(saved + ".ADX");
    ASSERT_EQ(again.list()->count(), 3);
    EXPECT_EQ(storedPart(again.doc()), storedPart(w.doc()));
    EXPECT_EQ(again.state().password, cp932("新しい"));
    again.clickRow(1);
    EXPECT_EQ(again.clearComment()->toPlainText(), QString::fromUtf8("書き換えた\n二行目"));

    // The pictures travelled with their patterns.
    const Bytes file = readFile(saved + ".ADX");
    const puzzle::PatternRecord& moved = again.doc().pattern(1);
    ASSERT_EQ(moved.finishedImageSize, 60);
    const Bytes picture(file.begin() + moved.finishedImageOffset,
                        file.begin() + moved.finishedImageOffset + 60);
    EXPECT_EQ(picture, pictureBytes(60, 63));
}

// The saved flag is what the box shows; a password nobody touched is saved as it was.
TEST_F(WindowFiles, TheSavedVendorFlagAndPasswordAreWhatTheWindowShows) {
    const QString vendorFile = threePatterns("vendor.ADX", "pass", 1);
    {
        EditorWindow w(DialogVariant::PZ_BIND2);
        w.prompts.passwordEntries.push_back({"pass"});
        w.open(vendorFile);
        auto* box = w.find<QCheckBox>("IDC_VENDOR_INFO");
        EXPECT_TRUE(box->isChecked());
        EXPECT_EQ(w.state().vendorFlag, 1);
        w.saveAs(vendorFile); // over the file it came from
        EXPECT_EQ(vendorBytes(reread(vendorFile)), (std::vector<int>{1, 1, 1}));
        EXPECT_EQ(reread(vendorFile).password, "pass");

        QTest::mouseClick(box, Qt::LeftButton);
        EXPECT_FALSE(box->isChecked());
        w.saveAs(path("cleared.ADX"));
        EXPECT_EQ(vendorBytes(reread(path("cleared.ADX"))), (std::vector<int>{0, 0, 0}));
    }
    {
        // The variant without the box neither shows nor keeps the flag.
        EditorWindow w(DialogVariant::PZ_BIND);
        w.prompts.passwordEntries.push_back({"pass"});
        w.open(vendorFile);
        EXPECT_EQ(w.state().vendorFlag, 0);
        w.saveAs(path("plain.ADX"));
        EXPECT_EQ(vendorBytes(reread(path("plain.ADX"))), (std::vector<int>{0, 0, 0}));
    }
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
