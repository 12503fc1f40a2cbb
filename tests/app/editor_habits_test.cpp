// The editor behaves as a desktop program: menus with shortcuts, keys in the list, recent
// files, remembered folders, reordering by drag, patterns from pictures, and Qt's own texts
// in Japanese.

#include "app/qt_translation.h"
#include "window_driver.h"

#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

#include <gtest/gtest.h>

using namespace pdt;
using namespace pdt::test;

namespace {

using EditorHabits = WindowTest;

} // namespace

// Every command has its shortcut; in the list the keys move and delete patterns, while in
// a comment box Delete is the box's own.
TEST_F(EditorHabits, EveryCommandHasItsShortcutAndTheKeysWork) {
    EditorWindow w;
    QStringList menus;
    for (const QAction* menu : w.window->menuBar()->actions())
        menus.push_back(menu->text());
    EXPECT_EQ(menus, QString::fromUtf8("ﾌｧｲﾙ(&F) 編集(&E) 表示(&V)").split(' '));
    const struct {
        const char* name;
        const char* text;
        QString keys;
    } items[] = {
        {"IDM_NEW", "新規作成(&N)", "Ctrl+N"},
        {"IDM_OPEN", "開く(&O)...", "Ctrl+O"},
        {"IDM_SAVE_OVER", "上書き保存(&S)", "Ctrl+S"},
        {"IDM_SAVE", "名前を付けて保存(&A)...", "Ctrl+Shift+S"},
        {"IDM_EXIT", "ｱﾌﾟﾘｹｰｼｮﾝの終了(&Q)", "Ctrl+Q"},
        {"IDM_UNDO", "元に戻す(&U)", "Ctrl+Z"},
        {"IDM_REDO", "やり直し(&R)", "Ctrl+Y; Ctrl+Shift+Z"},
        {"IDM_DUPLICATE", "パターンの複製(&D)", "Ctrl+D"},
        {"IDM_DELETE_PATTERNS", "パターンの削除(&L)", "Del"},
        {"IDM_MOVE_UP", "パターンを上へ移動(&K)", "Ctrl+Up"},
        {"IDM_MOVE_DOWN", "パターンを下へ移動(&J)", "Ctrl+Down"},
    };
    for (const auto& item : items) {
        QAction* action = w.find<QAction>(item.name);
        ASSERT_NE(action, nullptr) << item.name;
        EXPECT_EQ(action->text(), QString::fromUtf8(item.text)) << item.name;
        EXPECT_EQ(QKeySequence::listToString(action->shortcuts()), item.keys) << item.name;
    }

    w.makePatterns({"A", "B", "C"});
    w.clickRow(0);
    w.list()->setFocus();
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        std::vector<std::string> after;
        int shown;
    } keys[] = {
        {Qt::Key_Down, Qt::ControlModifier, {"B", "A", "C"}, 1},
        {Qt::Key_Delete, Qt::NoModifier, {"B", "C"}, 0},
    };
    for (const auto& k : keys) {
        QTest::keyClick(w.list(), k.key, k.modifiers);
        settle();
        EXPECT_EQ(w.storedClearComments(), k.after);
        EXPECT_EQ(w.shown(), k.shown);
    }
    // A click below the last entry selects nothing away, as in the system's list boxes.
    QTest::mouseClick(w.list()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(4, w.list()->viewport()->height() - 4));
    settle();
    EXPECT_EQ(w.selectedRows(), std::vector<int>{0});
    w.typeInto(w.clearComment(), "xy");
    QTest::keyClick(w.clearComment(), Qt::Key_Home);
    QTest::keyClick(w.clearComment(), Qt::Key_Delete);
    settle();
    EXPECT_EQ(w.clearComment()->toPlainText(), "y");
    EXPECT_EQ(w.doc().patternCount(), 2);
}

TEST_F(EditorHabits, QtsOwnTextsAreJapanese) {
    ASSERT_TRUE(app::installQtJapanese(*QCoreApplication::instance()))
        << "Qt's Japanese translation is missing (qt6-translations-l10n)";
    QMessageBox box(QMessageBox::Information, "終了", "?", QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove('&').left(3), QString::fromUtf8("はい("));
    EXPECT_EQ(box.button(QMessageBox::No)->text().remove('&').left(4),
              QString::fromUtf8("いいえ("));
}

// The next run, with the same settings, offers the last eight files most recent first, and
// starts each file dialog in the folder last used for its kind of file.
TEST_F(EditorHabits, RecentFilesAndFoldersAreKeptAcrossRunsAndMissingFilesDropped) {
    QStringList sets;
    for (int i = 0; i < 9; ++i) {
        sets.push_back(path(QString("set%1.ADX").arg(i)));
        writeFile(sets.back(), buildFile({patternWith(10, 10)}));
    }
    QDir(dir.path()).mkpath("pictures");
    EditorWindow w;
    w.attach(0, picture("pictures/photo.bmp"));
    for (const QString& set : sets)
        w.open(set);

    w.restart();
    w.prompts.openRequests.clear();
    w.prompts.openChoices = {"", ""};
    w.trigger("IDM_OPEN");
    w.click("IDC_ADD_PUZZLE_IMAGE");
    ASSERT_EQ(w.prompts.openRequests.size(), 2u);
    EXPECT_EQ(QFileInfo(w.prompts.openRequests[0].proposed).absolutePath(), dir.path());
    EXPECT_EQ(QFileInfo(w.prompts.openRequests[1].proposed).absolutePath(), path("pictures"));
    QMenu* menu = w.window->findChild<QMenu*>("RecentMenu");
    menu->aboutToShow();
    ASSERT_EQ(menu->actions().size(), 8);
    EXPECT_EQ(menu->actions()[0]->data().toString(), sets[8]);
    EXPECT_EQ(menu->actions()[7]->data().toString(), sets[1]);

    // A file gone since is dropped when chosen, with a message naming it.
    QFile::remove(sets[8]);
    menu->actions()[0]->trigger();
    settle();
    ASSERT_EQ(w.prompts.messages.size(), 1u);
    EXPECT_TRUE(QString::fromStdString(w.prompts.messages[0].text).contains(sets[8]));
    EXPECT_EQ(w.state().currentFilePath, "新規.ADX");
    menu->aboutToShow();
    ASSERT_EQ(menu->actions().size(), 7);
    menu->actions()[0]->trigger();
    settle();
    EXPECT_EQ(w.state().currentFilePath, QFile::encodeName(sets[7]).toStdString());
}

TEST_F(EditorHabits, DraggingEntriesMovesTheirPatternsAsOneStep) {
    EditorWindow w;
    w.makePatterns({"A", "B", "C", "D"});
    w.clickRow(0);
    w.clickRow(1, Qt::ControlModifier);
    // What the list puts on a drag of its selected entries, dropped on the lower half of D.
    QListView* list = w.list();
    std::unique_ptr<QMimeData> data(
        list->model()->mimeData(list->selectionModel()->selectedIndexes()));
    const QRect d = list->visualRect(w.entry(3));
    w.drop(*data, list->viewport()->mapTo(w.window.get(), QPoint(d.center().x(), d.bottom() - 1)),
           Qt::MoveAction);
    EXPECT_EQ(w.storedClearComments(), (std::vector<std::string>{"C", "D", "A", "B"}));
    EXPECT_EQ(w.selectedRows(), (std::vector<int>{2, 3}));
    w.trigger("IDM_UNDO");
    EXPECT_EQ(w.storedClearComments(), (std::vector<std::string>{"A", "B", "C", "D"}));
}

TEST_F(EditorHabits, PicturesBecomePatternsInNameOrderAndRefusedOnesAreNamedAtTheEnd) {
    const QStringList files = {picture("p10.bmp"), picture("p2.jpg"), picture("p1.bmp"),
                               path("broken.bmp")};
    writeFile(path("broken.bmp"), bytesOf("no picture here"));
    EditorWindow w;
    w.prompts.openManyChoices = {files};
    w.trigger("IDM_ADD_FROM_PICTURES");
    EXPECT_EQ(w.prompts.pictureChecks, 1) << "the pictures are checked under a progress";
    // The new document's empty pattern takes the first picture.
    ASSERT_EQ(w.doc().patternCount(), 3);
    const char* order[] = {"p1.bmp", "p2.jpg", "p10.bmp"};
    for (int i = 0; i < 3; ++i) {
        const puzzle::PatternRecord& r = w.doc().pattern(i);
        EXPECT_EQ(QFileInfo(QString::fromStdString(r.sourceFiles[0])).fileName(), order[i]);
        EXPECT_EQ(r.sourceFiles[1], r.sourceFiles[0]);
        EXPECT_EQ(r.pieceCount, 6) << "the smallest count a 320 x 240 picture offers";
    }
    ASSERT_EQ(w.prompts.messages.size(), 1u);
    EXPECT_TRUE(QString::fromStdString(w.prompts.messages[0].text).contains("broken.bmp"));

    // Dropped on the list, pictures do the same, up to 200 patterns.
    for (int i = 3; i < 199; ++i)
        w.window->addPattern();
    w.dropFiles({files[0], files[1]});
    EXPECT_EQ(w.doc().patternCount(), 200);
    EXPECT_EQ(w.prompts.messages.size(), 2u);
}
