#include "app/main_window.h"

#include "puzzle/format.h"
#include "puzzle/open.h"
#include "support/bytes.h"
#include "text/cp932.h"
#include "window_driver.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace pdt;
using namespace pdt::test;
using app::DialogVariant;

namespace {

std::string cp932(const char* utf8) {
    return text::toCp932(utf8).value();
}

void writeBytes(const QString& path, const Bytes& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

Bytes readBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray all = f.readAll();
    return Bytes(all.begin(), all.end());
}

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

// The table with what only the editor keeps (the native picture paths) left out.
puzzle::PatternTable storedPart(const puzzle::Document& doc) {
    puzzle::PatternTable t = doc.table;
    for (auto& r : t)
        r.sourceFiles = {};
    return t;
}

const ShownMessage kSaved{"ファイルを保存しました。", "情報", puzzle::MessageIcon::None, "PZ_BIND"};

class WindowFiles : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QString path(const char* name) const { return QDir(dir.path()).filePath(name); }

    QString threePatterns(const char* name = "set.ADX", std::string_view password = {},
                          std::uint8_t vendor = 0) {
        const QString p = path(name);
        writeBytes(p, buildFile({pattern("一つ目", 40, 30, 12, 1), pattern("二つ目", 50, 0, 20),
                                 pattern("三つ目", 0, 60)},
                                password, vendor));
        return p;
    }

    static void openThroughMenu(EditorWindow& w, const QString& file) {
        w.prompts.openChoices.push_back(file);
        w.find<QAction>("IDM_OPEN")->trigger();
        settle();
    }
    static void saveThroughMenu(EditorWindow& w, const QString& file) {
        w.prompts.saveChoices.push_back(file);
        w.find<QAction>("IDM_SAVE")->trigger();
        settle();
    }
};

} // namespace

TEST_F(WindowFiles, OpeningReplacesTheDocumentAndShowsPatternOne) {
    EditorWindow w;
    w.makePatterns({"old 1", "old 2", "old 3", "old 4", "old 5"});
    const QString file = threePatterns();

    openThroughMenu(w, file);
    ASSERT_EQ(w.prompts.openRequests.size(), 1u);
    EXPECT_EQ(w.prompts.openRequests[0].title, "開く");
    EXPECT_EQ(w.prompts.openRequests[0].filters,
              (std::vector<app::FileFilter>{{"連結ﾌｧｲﾙ(*.ADX)", "*.ADX"}}));
    EXPECT_EQ(w.prompts.passwordPrompts, 0);
    EXPECT_TRUE(w.prompts.messages.empty());

    EXPECT_EQ(w.entries(),
              (std::vector<QString>{QString::fromUtf8("  1 ﾊﾟﾀｰﾝ"), QString::fromUtf8("  2 ﾊﾟﾀｰﾝ"),
                                    QString::fromUtf8("  3 ﾊﾟﾀｰﾝ")}));
    EXPECT_EQ(w.selectedRows(), std::vector<int>{0});
    EXPECT_EQ(w.state().lastIndex, 2);
    EXPECT_EQ(w.state().currentPattern, 0);
    EXPECT_EQ(w.state().currentFilePath, file.toStdString());
    EXPECT_EQ(w.window->windowTitle(), QString::fromUtf8("パズルデータ作成ツール (%1)").arg(file));
    EXPECT_FALSE(w.state().dirty);
    EXPECT_EQ(w.clearComment()->toPlainText(), QString::fromUtf8("一つ目"));
    EXPECT_TRUE(w.rotation()->isChecked());
    EXPECT_EQ(w.password()->text(), "");
    for (int i = 3; i < puzzle::kMaxPatterns; ++i)
        ASSERT_EQ(w.doc().pattern(i), puzzle::PatternRecord{}) << i;

    // The dialog offers the previous choice next time.
    w.prompts.openChoices.push_back("");
    w.find<QAction>("IDM_OPEN")->trigger();
    ASSERT_EQ(w.prompts.openRequests.size(), 2u);
    EXPECT_EQ(w.prompts.openRequests[1].proposed, file);
    EXPECT_EQ(w.state().currentFilePath, file.toStdString());
}

TEST_F(WindowFiles, APasswordIsAskedAndComparedExactly) {
    struct Case {
        const char* name;
        std::vector<QString> entries;
        bool opens;
        size_t refusals;
    };
    const Case cases[] = {
        {"right", {QString::fromUtf8("秘密Key")}, true, 0},
        {"wrong case, then cancel", {QString::fromUtf8("秘密key")}, false, 1},
        {"cancel", {}, false, 0},
        {"wrong, then right", {"x", QString::fromUtf8("秘密Key")}, true, 1},
    };
    const QString file = threePatterns("locked.ADX", cp932("秘密Key"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EditorWindow w;
        w.makePatterns({"A", "B"});
        w.clickRow(1);
        const puzzle::PatternTable before = w.doc().table;
        const QString title = w.window->windowTitle();

        w.prompts.passwordEntries.push_back(c.entries);
        openThroughMenu(w, file);
        EXPECT_EQ(w.prompts.passwordPrompts, 1);
        ASSERT_EQ(w.prompts.messages.size(), c.refusals);
        for (const ShownMessage& m : w.prompts.messages)
            EXPECT_EQ(m, (ShownMessage{"パスワードが違います。", "情報", puzzle::MessageIcon::None,
                                       "PASSWORD"}));
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

TEST_F(WindowFiles, ARefusedFileChangesNothing) {
    EditorWindow w;
    w.makePatterns({"A", "B"});
    const puzzle::PatternTable before = w.doc().table;
    Bytes lower = buildFile({pattern("x", 10, 10)});
    lower[0] = 'a';
    lower[1] = 'd';
    lower[2] = 'x';
    writeBytes(path("lower.ADX"), lower);

    openThroughMenu(w, path("lower.ADX"));
    ASSERT_EQ(w.prompts.messages.size(), 1u);
    EXPECT_EQ(w.prompts.messages[0],
              (ShownMessage{"このファイルは連結されたファイルではありません。", "情報",
                            puzzle::MessageIcon::None, "PZ_BIND"}));
    EXPECT_EQ(w.doc().table, before);
    EXPECT_EQ(w.list()->count(), 2);
    EXPECT_EQ(w.state().currentFilePath, "新規.ADX");

    // A path that does not exist is refused with a message too, never opened half.
    w.prompts.messages.clear();
    openThroughMenu(w, path("missing.ADX"));
    EXPECT_EQ(w.prompts.messages.size(), 1u);
    EXPECT_EQ(w.doc().table, before);
}

TEST_F(WindowFiles, ADamagedFileOpensWithTheEnginesWarning) {
    Bytes bytes = buildFile({pattern("one", 10, 10), pattern("two", 10, 10)});
    bytes.resize(bytes.size() - 5); // the last picture runs past the end
    const QString file = path("damaged.ADX");
    writeBytes(file, bytes);
    const puzzle::ReadResult read = puzzle::ReadPuzzleDataFile(file.toStdString());
    ASSERT_TRUE(read.file);
    const auto warning = puzzle::DamageWarning(*read.file);
    ASSERT_TRUE(warning);

    EditorWindow w;
    openThroughMenu(w, file);
    ASSERT_EQ(w.prompts.messages.size(), 1u);
    EXPECT_EQ(w.prompts.messages[0],
              (ShownMessage{warning->text, warning->caption, warning->icon, "PZ_BIND"}));
    EXPECT_EQ(w.list()->count(), int(read.file->walk.records.size()));
    EXPECT_EQ(w.state().currentFilePath, file.toStdString());
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
}

TEST_F(WindowFiles, SavingIsRefusedForTheFirstPatternWithoutPictures) {
    {
        EditorWindow w;
        w.find<QAction>("IDM_SAVE")->trigger();
        ASSERT_EQ(w.prompts.messages.size(), 1u);
        EXPECT_EQ(w.prompts.messages[0].text, "ﾊﾟﾀｰﾝ1 のＣＧが抜けています。保存できません。");
    }
    const QString file = path("five.ADX");
    writeBytes(file, buildFile({pattern("1", 10, 10), pattern("2", 0, 10), pattern("3", 0, 0),
                                pattern("4", 10, 0), pattern("5", 0, 0)}));
    EditorWindow w;
    openThroughMenu(w, file);
    w.typeInto(w.clearComment(), "edited");
    w.find<QAction>("IDM_SAVE")->trigger();
    settle();
    ASSERT_EQ(w.prompts.messages.size(), 1u);
    EXPECT_EQ(w.prompts.messages[0], (ShownMessage{"ﾊﾟﾀｰﾝ3 のＣＧが抜けています。保存できません。",
                                                   "情報", puzzle::MessageIcon::Error, "PZ_BIND"}));
    EXPECT_TRUE(w.prompts.saveRequests.empty());
    EXPECT_TRUE(w.state().dirty);
    EXPECT_EQ(w.storedClearComment(0), "edited") << "the save commits before it checks";
    EXPECT_EQ(readBytes(file),
              buildFile({pattern("1", 10, 10), pattern("2", 0, 10), pattern("3", 0, 0),
                         pattern("4", 10, 0), pattern("5", 0, 0)}));
}

TEST_F(WindowFiles, OpenEditSaveAndReopenGiveTheEditedDocument) {
    const QString original = threePatterns("original.ADX", "pass");
    const Bytes originalBytes = readBytes(original);
    const QString saved = path("edited"); // saved as edited.ADX

    EditorWindow w;
    w.prompts.passwordEntries.push_back({"pass"});
    openThroughMenu(w, original);
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

    saveThroughMenu(w, saved);
    ASSERT_EQ(w.prompts.saveRequests.size(), 1u);
    EXPECT_EQ(w.prompts.saveRequests[0].title, "保存");
    EXPECT_EQ(w.prompts.saveRequests[0].filters,
              (std::vector<app::FileFilter>{{"連結ﾌｧｲﾙ(*.ADX)", "*.ADX"}}));
    EXPECT_EQ(w.prompts.saveRequests[0].proposed, original);
    ASSERT_EQ(w.prompts.messages.size(), 1u);
    EXPECT_EQ(w.prompts.messages[0], kSaved);
    EXPECT_FALSE(w.state().dirty);
    EXPECT_EQ(w.state().currentFilePath, (saved + ".ADX").toStdString());
    EXPECT_EQ(readBytes(original), originalBytes) << "the original stays as it was";

    const puzzle::PatternRecord& edited = w.doc().pattern(1);
    EXPECT_EQ(puzzle::fieldText(edited.clearComment), cp932("書き換えた\r\n二行目"));
    EXPECT_EQ(puzzle::fieldText(edited.finishComment), "finish");
    EXPECT_EQ(edited.rotation, 1);
    EXPECT_EQ(edited.pieceCount, 12);
    EXPECT_EQ(puzzle::fieldText(w.doc().pattern(2).clearComment), cp932("二つ目"));

    EditorWindow again;
    again.prompts.passwordEntries.push_back({QString::fromUtf8("新しい")});
    openThroughMenu(again, saved + ".ADX");
    ASSERT_EQ(again.list()->count(), 3);
    EXPECT_EQ(storedPart(again.doc()), storedPart(w.doc()));
    EXPECT_EQ(again.state().password, cp932("新しい"));
    EXPECT_EQ(again.clearComment()->toPlainText(), QString::fromUtf8("一つ目"));
    again.clickRow(1);
    EXPECT_EQ(again.clearComment()->toPlainText(), QString::fromUtf8("書き換えた\n二行目"));

    // The pictures travelled with their patterns.
    const Bytes file = readBytes(saved + ".ADX");
    const puzzle::PatternRecord& moved = again.doc().pattern(1);
    ASSERT_EQ(moved.finishedImageSize, 60);
    const Bytes picture(file.begin() + moved.finishedImageOffset,
                        file.begin() + moved.finishedImageOffset + 60);
    EXPECT_EQ(picture, pictureBytes(60, 63));
}

TEST_F(WindowFiles, AnUntouchedPasswordIsSavedAsItWas) {
    const QString file = threePatterns("keep.ADX", "pass");
    EditorWindow w;
    w.prompts.passwordEntries.push_back({"pass"});
    openThroughMenu(w, file);
    saveThroughMenu(w, file);
    EXPECT_EQ(w.prompts.messages.back(), kSaved);
    const Bytes bytes = readBytes(file);
    ASSERT_GE(bytes.size(), puzzle::kHeaderSize);
    std::array<std::uint8_t, puzzle::kHeaderSize> header{};
    std::copy_n(bytes.begin(), header.size(), header.begin());
    EXPECT_EQ(puzzle::DecodeHeader(header).password, "pass");
}

TEST_F(WindowFiles, TheSavedVendorFlagIsWhatTheBoxShows) {
    const auto savedVendorBytes = [](const Bytes& file) {
        std::vector<int> flags;
        for (size_t at = puzzle::kHeaderSize; at + puzzle::kRecordSize <= file.size();) {
            flags.push_back(std::uint8_t(~file[at + puzzle::field::vendorInfo]));
            const std::int64_t next =
                at + puzzle::kRecordSize +
                std::int64_t(storedField(file, at, puzzle::field::puzzleImageSize)) +
                storedField(file, at, puzzle::field::finishedImageSize);
            at = size_t(next);
        }
        return flags;
    };
    const QString vendorFile = threePatterns("vendor.ADX", {}, 1);

    {
        EditorWindow w(DialogVariant::PZ_BIND2);
        openThroughMenu(w, vendorFile);
        auto* box = w.find<QCheckBox>("IDC_VENDOR_INFO");
        EXPECT_TRUE(box->isChecked());
        EXPECT_EQ(w.state().vendorFlag, 1);
        saveThroughMenu(w, path("kept.ADX"));
        EXPECT_EQ(savedVendorBytes(readBytes(path("kept.ADX"))), (std::vector<int>{1, 1, 1}));

        QTest::mouseClick(box, Qt::LeftButton);
        EXPECT_FALSE(box->isChecked());
        saveThroughMenu(w, path("cleared.ADX"));
        EXPECT_EQ(savedVendorBytes(readBytes(path("cleared.ADX"))), (std::vector<int>{0, 0, 0}));
    }
    {
        // The variant without the box neither shows nor keeps the flag.
        EditorWindow w(DialogVariant::PZ_BIND);
        openThroughMenu(w, vendorFile);
        EXPECT_EQ(w.state().vendorFlag, 0);
        saveThroughMenu(w, path("plain.ADX"));
        EXPECT_EQ(savedVendorBytes(readBytes(path("plain.ADX"))), (std::vector<int>{0, 0, 0}));
    }
}

TEST_F(WindowFiles, ACancelledSaveChangesNothing) {
    const QString file = threePatterns();
    EditorWindow w;
    openThroughMenu(w, file);
    w.typeInto(w.finishComment(), "typed");

    // Cancelled in the dialog: only the commit before it took place.
    saveThroughMenu(w, "");
    EXPECT_TRUE(w.prompts.messages.empty());
    EXPECT_TRUE(w.state().dirty);
    EXPECT_EQ(puzzle::fieldText(w.doc().pattern(0).finishComment), "typed");
    const puzzle::Document before = w.doc();

    // Cancelled in the progress dialog: the target is not created, the document unchanged.
    w.prompts.cancelProgressAt = 1;
    saveThroughMenu(w, path("never.ADX"));
    EXPECT_GE(w.prompts.progressUpdates, 1);
    EXPECT_TRUE(w.prompts.messages.empty());
    EXPECT_FALSE(QFile::exists(path("never.ADX")));
    EXPECT_TRUE(QDir(dir.path()).entryList({"never*"}, QDir::Files).isEmpty());
    EXPECT_TRUE(w.state().dirty);
    EXPECT_EQ(w.state().currentFilePath, file.toStdString());
    EXPECT_EQ(storedPart(w.doc()), storedPart(before));
}
