// The editor behaves as a desktop program: menus with shortcuts, keys in the list, recent
// files, remembered folders, reordering by drag, patterns from pictures, and Qt's own texts
// in Japanese.

#include "app/qt_translation.h"
#include "window_driver.h"

#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>

#include <gtest/gtest.h>

using namespace pdt;
using namespace pdt::test;

namespace {

using EditorHabits = WindowTest;

} // namespace

// Every command answers its keys, where it belongs: the file and edit commands anywhere in
// the window, moving and deleting patterns in the list, while in a comment box Delete is
// the box's own.
TEST_F(EditorHabits, EveryCommandAnswersItsKeys) {
    EditorWindow w;
    w.makePatterns({"A", "B", "C"});
    w.clickRow(0);
    const auto asked = [&] {
        return w.prompts.openRequests.size() + w.prompts.saveRequests.size() +
               w.prompts.questions.size() + w.prompts.messages.size();
    };
    const struct {
        QKeySequence keys;
        std::vector<std::string> after; // the patterns afterwards
        bool asks;                      // a dialog, question or message comes up (and is cancelled)
        int shown = 0;
    } keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Down), {"B", "A", "C"}, false, 1},
        {QKeySequence(Qt::CTRL | Qt::Key_Up), {"A", "B", "C"}, false, 0},
        {QKeySequence(Qt::CTRL | Qt::Key_D), {"A", "A", "B", "C"}, false, 1},
        {QKeySequence(Qt::CTRL | Qt::Key_Z), {"A", "B", "C"}, false, 1},
        {QKeySequence(Qt::CTRL | Qt::Key_Y), {"A", "A", "B", "C"}, false, 1},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), {"A", "A", "B", "C"}, false, 1},
        {QKeySequence(Qt::Key_Delete), {"A", "B", "C"}, false, 0},
        {QKeySequence(Qt::CTRL | Qt::Key_O), {"A", "B", "C"}, true},
        {QKeySequence(Qt::CTRL | Qt::Key_S), {"A", "B", "C"}, true},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), {"A", "B", "C"}, true},
        {QKeySequence(Qt::CTRL | Qt::Key_Q), {"A", "B", "C"}, true},
        {QKeySequence(Qt::CTRL | Qt::Key_N), {""}, false},
    };
    for (const auto& k : keys) {
        SCOPED_TRACE(k.keys.toString().toStdString());
        w.prompts.openChoices = {""};
        w.prompts.saveChoices = {""};
        w.prompts.answers = {false};
        const size_t before = asked();
        w.list()->setFocus();
        QTest::keySequence(w.list(), k.keys);
        settle();
        EXPECT_EQ(w.storedClearComments(), k.after);
        EXPECT_EQ(asked(), before + (k.asks ? 1 : 0));
        EXPECT_EQ(w.shown(), k.shown);
        EXPECT_TRUE(w.window->isVisible());
    }
    w.makePatterns({"A", "B"});
    w.clickRow(0);
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
