#include "app/main_window.h"

#include "puzzle/messages.h"
#include "puzzle/open.h"
#include "window_driver.h"

#include <gtest/gtest.h>

#include <cerrno>

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
    EXPECT_TRUE(w.prompts.messages.empty());
    EXPECT_EQ(w.entries(), (std::vector<QString>{"  1 ﾊﾟﾀｰﾝ", "  2 ﾊﾟﾀｰﾝ", "  3 ﾊﾟﾀｰﾝ"}));
    EXPECT_EQ(w.selectedRows(), std::vector<int>{0});
    EXPECT_EQ(
        w.title(),
        QString::fromUtf8("パズルデータ作成ツール (%1)").arg(QDir::toNativeSeparators(original)));
    EXPECT_FALSE(w.unsaved());
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
    ASSERT_EQ(w.shown(), 1);
    w.typeInto(w.clearComment(), QString::fromUtf8("書き換えた\n二行目"));
    w.typeInto(w.finishComment(), "finish");
    QTest::mouseClick(w.rotation(), Qt::LeftButton);
    w.typeInto(w.password(), QString::fromUtf8("新しい"));
    const QString saved = path("edited"); // saved as edited.ADX
    w.saveAs(saved);
    ASSERT_EQ(w.prompts.saveRequests.size(), 1u);
    EXPECT_EQ(w.prompts.saveRequests[0].proposed, original);
    EXPECT_EQ(w.prompts.messages, std::vector<ShownMessage>{shown("ファイルを保存しました。")});
    EXPECT_FALSE(w.unsaved());
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

// A password is asked for and compared exactly; a path that does not exist changes nothing.
TEST_F(WindowFiles, OpeningAsksForThePasswordOrRefuses) {
    const QString locked = threePatterns("locked.ADX", cp932("秘密Key"));
    const ShownMessage wrong{"パスワードが違います。", "情報", puzzle::MessageIcon::None,
                             "PASSWORD"};
    const puzzle::UserMessage missing = puzzle::messages::CannotOpen(ENOENT);

    const struct {
        QString file;
        std::vector<QString> entries; // typed in turn into the password prompt
        std::vector<ShownMessage> messages;
        int patterns; // opened; 0: the document stays
    } cases[] = {
        {locked, {QString::fromUtf8("秘密key")}, {wrong}, 0}, // wrong case, then cancel
        {locked, {"x", QString::fromUtf8("秘密Key")}, {wrong}, 3},
        {path("missing.ADX"), {}, {{missing.text, missing.caption, missing.icon, "PZ_BIND"}}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString() + " " + std::to_string(c.entries.size()));
        EditorWindow w;
        w.makePatterns({"A", "B"});
        w.clickRow(1);
        const puzzle::PatternTable before = w.doc().table;
        const QString title = w.title();

        if (!c.entries.empty())
            w.prompts.passwordEntries.push_back(c.entries);
        w.open(c.file);
        EXPECT_TRUE(w.prompts.passwordEntries.empty());
        EXPECT_EQ(w.prompts.messages, c.messages);
        if (c.patterns > 0) {
            EXPECT_EQ(w.entryCount(), c.patterns);
            EXPECT_EQ(w.state().currentFilePath, c.file.toStdString());
            EXPECT_EQ(w.state().password, reread(c.file).password);
            EXPECT_EQ(cp932(w.password()->text().toUtf8().constData()), reread(c.file).password);
            EXPECT_FALSE(w.unsaved());
        } else {
            EXPECT_EQ(w.doc().table, before);
            EXPECT_EQ(w.title(), title);
            EXPECT_EQ(w.selectedRows(), std::vector<int>{1});
            EXPECT_EQ(w.clearComment()->toPlainText(), "B");
            EXPECT_EQ(w.password()->text(), "");
        }
    }
}

// The saved flag is what the box shows; a password nobody touched is saved as it was; new
// clears both. The variant without the box neither shows nor keeps the flag.
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
    // New starts again from one empty pattern, without a question.
    QTest::mouseClick(box, Qt::LeftButton);
    w.trigger("IDM_NEW");
    EXPECT_EQ(w.state().vendorFlag, 0);
    EXPECT_EQ(w.entries(), std::vector<QString>{"  1 ﾊﾟﾀｰﾝ"});
    EXPECT_EQ(w.state().currentFilePath, "新規.ADX");
    EXPECT_FALSE(w.unsaved());
    EXPECT_EQ(w.title(), QString::fromUtf8("パズルデータ作成ツール Ver2.0")); // no file named
    EXPECT_EQ(w.clearComment()->toPlainText() + w.password()->text(), "");

    EditorWindow plain(DialogVariant::PZ_BIND);
    plain.prompts.passwordEntries.push_back({"pass"});
    plain.open(file);
    EXPECT_EQ(plain.state().vendorFlag, 0);
    plain.saveAs(path("plain.ADX"));
    EXPECT_EQ(vendorBytes(path("plain.ADX")), (std::vector<int>{0, 0, 0}));
}

// Saving asks for a name only while the document has none; cancelled in that dialog or in
// the progress, it changes nothing but the commit before it. Save as asks before replacing
// another file, and No keeps that file.
TEST_F(WindowFiles, SaveAsksForANameOnlyWithoutAFileAndBeforeReplacingAnother) {
    EditorWindow w;
    w.attach(0, picture("a.bmp"));
    w.typeInto(w.finishComment(), "typed");
    w.prompts.saveChoices = {"", path("never.ADX"), path("set")};
    w.trigger("IDM_SAVE_OVER");
    EXPECT_EQ(puzzle::fieldText(w.doc().pattern(0).finishComment), "typed");
    const puzzle::Document before = w.doc();
    w.prompts.cancelProgressAt = 1;
    w.trigger("IDM_SAVE_OVER");
    EXPECT_GE(w.prompts.progressUpdates, 1);
    EXPECT_TRUE(QDir(dir.path()).entryList({"never*"}, QDir::Files).isEmpty());
    EXPECT_TRUE(w.unsaved());
    EXPECT_EQ(storedPart(w.doc()), storedPart(before));
    EXPECT_EQ(w.state().currentFilePath, "新規.ADX");
    EXPECT_TRUE(w.prompts.messages.empty());

    w.prompts.cancelProgressAt.reset();
    w.trigger("IDM_SAVE_OVER"); // the extension is added
    EXPECT_EQ(w.state().currentFilePath, QFile::encodeName(path("set.ADX")).toStdString());
    w.typeInto(w.clearComment(), "second");
    w.trigger("IDM_SAVE_OVER");
    EXPECT_EQ(w.prompts.saveRequests.size(), 3u) << "no dialog with a current file";
    EXPECT_FALSE(w.unsaved());
    EXPECT_EQ(puzzle::fieldText(reread(path("set.ADX")).walk.records[0].clearComment), "second");

    // Save as to another existing file asks first.
    const QString other = threePatterns("other.ADX");
    const Bytes theirs = readFile(other);
    w.prompts.answers = {false};
    w.saveAs(path("other")); // the extension is added before the question
    ASSERT_EQ(w.prompts.questions.size(), 1u);
    EXPECT_EQ(w.prompts.questions[0].caption, "確認");
    EXPECT_TRUE(QString::fromStdString(w.prompts.questions[0].text)
                    .contains(QDir::toNativeSeparators(other)));
    EXPECT_FALSE(w.prompts.questions[0].yesIsDefault);
    EXPECT_EQ(readFile(other), theirs);
    w.prompts.answers = {true};
    w.saveAs(other);
    EXPECT_NE(readFile(other), theirs);
    EXPECT_EQ(w.state().currentFilePath, QFile::encodeName(other).toStdString());
}
