// Recovery of unsaved work: one slot per running editor, the question at the next start and
// both answers, the journal following the session, and a real crash of the program.

#include "app/recovery.h"

#include "window_driver.h"

#include <QDirIterator>
#include <QProcess>

#include <gtest/gtest.h>

using namespace pdt;
using namespace pdt::test;
using app::RecoverySlot;

namespace {

class Recovery : public WindowTest {
  protected:
    QString root() const { return path("recovery"); }
    // The folders of slots left in the recovery folder.
    QStringList slotFolders() const {
        return QDir(root()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    }

    // A slot of an editor that has ended, its journal holding one pattern with `comment`
    // and a picture file of its own.
    void leaveJournal(const std::string& comment) {
        session::EditSession session((path("copies") + comment.c_str()).toStdString(), true);
        const QString photo = picture(QString::fromStdString(comment) + ".bmp");
        EXPECT_FALSE(session.attachPicture(0, 0, QFile::encodeName(photo).toStdString(),
                                           {std::nullopt, 320, 240}));
        session.setComment(0, comment);
        auto slot = RecoverySlot::create(root());
        ASSERT_TRUE(slot);
        app::JournalWriter writer(session, *slot);
        writer.sessionChanged();
        writer.flush();
    }
};

} // namespace

// A running editor's slot is never offered to another; once it has ended it is, and a slot
// with nothing unsaved is cleared away.
TEST_F(Recovery, OnlyTheSlotsOfEndedEditorsAreOffered) {
    auto running = RecoverySlot::create(root());
    ASSERT_TRUE(running);
    writeFile(running->journalPath(), bytesOf("its journal"));
    leaveJournal("ended");
    EXPECT_EQ(RecoverySlot::orphans(root()).size(), 1u) << "the running one is not offered";
    running.reset(); // ended, its journal left
    EXPECT_EQ(RecoverySlot::orphans(root()).size(), 2u);
    auto empty = RecoverySlot::create(root());
    empty.reset();
    EXPECT_EQ(slotFolders().size(), 3u);
    EXPECT_EQ(RecoverySlot::orphans(root()).size(), 2u);
    EXPECT_EQ(slotFolders().size(), 2u) << "the slot without a journal was removed";
}

// はい takes the journal up; いいえ asks again, and only a second yes deletes it. A damaged
// journal is set aside with a message and never offered again.
TEST_F(Recovery, TheQuestionAtTheNextStartAndItsAnswers) {
    const struct {
        std::deque<bool> answers;
        bool recovered;
        int slotsLeft; // besides the one returned
    } cases[] = {{{true}, true, 0}, {{false, true}, false, 0}, {{false, false}, false, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answers.size());
        QDir(root()).removeRecursively();
        leaveJournal("work");
        FakePrompts prompts;
        prompts.answers = c.answers;
        auto slot = app::OfferRecovery(root(), prompts);
        ASSERT_TRUE(slot);
        ASSERT_FALSE(prompts.questions.empty());
        EXPECT_EQ(prompts.questions[0].caption, "編集の復元");
        EXPECT_TRUE(prompts.questions[0].yesIsDefault);
        EXPECT_EQ(bool(slot->recovered()), c.recovered);
        if (prompts.questions.size() > 1) {
            EXPECT_FALSE(prompts.questions[1].yesIsDefault);
        }
        EXPECT_EQ(slotFolders().size(), size_t(c.slotsLeft + 1));
    }
    QDir(root()).removeRecursively();
    leaveJournal("damaged");
    const QString journal = RecoverySlot::orphans(root()).front()->journalPath();
    writeFile(journal, bytesOf("PDTJ and then nothing sound"));
    FakePrompts prompts;
    auto slot = app::OfferRecovery(root(), prompts);
    EXPECT_TRUE(prompts.questions.empty());
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_FALSE(slot->recovered());
    EXPECT_EQ(QDir(root()).entryList({"*.damaged-*"}, QDir::Files).size(), 1);
    EXPECT_EQ(slotFolders().size(), 1u);
}

// The window starts with what it recovered, unsaved, the pattern that was shown shown, undo
// starting there; a picture that moved on since is left out and named.
TEST_F(Recovery, TheWindowStartsWithTheRecoveredWork) {
    leaveJournal("kept");
    leaveJournal("moved");
    QFile::remove(path("moved.bmp"));
    FakePrompts answers;
    answers.answers = {true}; // the newest ("moved") comes first
    auto slot = app::OfferRecovery(root(), answers);
    ASSERT_TRUE(slot && slot->recovered());
    EXPECT_TRUE(answers.questions.back().text.find("無題") != std::string::npos);

    EditorWindow w;
    w.window = std::make_unique<app::MainWindow>(app::DialogVariant::PZ_BIND, w.prompts,
                                                 &w.settings, slot.get());
    w.window->show();
    settle();
    EXPECT_TRUE(w.unsaved());
    EXPECT_FALSE(w.find<QAction>("IDM_UNDO")->isEnabled());
    EXPECT_EQ(w.storedClearComment(0), "moved");
    EXPECT_EQ(w.doc().pattern(0).puzzleImageSize, 0);
    ASSERT_EQ(w.prompts.messages.size(), 1u);
    EXPECT_NE(w.prompts.messages[0].text.find("moved.bmp"), std::string::npos);

    // Saved, the journal goes; a new edit brings it back.
    w.attach(0, picture("again.bmp"));
    w.saveAs(path("set.ADX"));
    w.window.reset();
    EXPECT_FALSE(QFile::exists(slot->journalPath()));
}

// The program killed at any moment after a pause gives its edit back at the next start.
TEST_F(Recovery, AKilledEditorsWorkComesBack) {
    PatternSpec pattern;
    pattern.puzzle = pictureBytes(300);
    writeFile(path("set.ADX"), buildFile({pattern}));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PUZZLE_DATA_TOOL_RECOVERY", path("data/recovery"));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    QProcess editor;
    editor.setProcessEnvironment(env);
    editor.start(EDITOR_PATH, {path("set.ADX"), "--test-type=typed before the crash"});
    ASSERT_TRUE(editor.waitForStarted());
    const auto journalWritten = [&] {
        QDirIterator it(path("data"), {"journal"}, QDir::Files, QDirIterator::Subdirectories);
        return it.hasNext() && QFileInfo(it.next()).size() > 0;
    };
    ASSERT_TRUE(QTest::qWaitFor(journalWritten, 10000));
    EXPECT_TRUE(RecoverySlot::orphans(path("data/recovery")).empty())
        << "a running editor's journal is never another's";
    editor.kill(); // SIGKILL: nothing of the editor runs any more
    editor.waitForFinished();

    QProcess next;
    next.setProcessEnvironment(env);
    next.start(EDITOR_PATH, {"--test-answer=yes", "--test-save-to=" + path("out.ADX")});
    ASSERT_TRUE(next.waitForFinished(20000));
    EXPECT_EQ(next.exitCode(), 0) << next.readAllStandardError().toStdString();
    const puzzle::ReadResult out = puzzle::ReadPuzzleDataFile(path("out.ADX").toStdString());
    ASSERT_TRUE(out.file);
    EXPECT_EQ(puzzle::fieldText(out.file->walk.records[0].clearComment), "typed before the crash");
    EXPECT_TRUE(QDir(path("data/recovery")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty())
        << "a normal end leaves nothing to recover";
}
