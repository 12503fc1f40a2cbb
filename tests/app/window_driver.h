#pragma once
// Drives a started editor window the way a user does: by the controls' object names, with
// mouse clicks and key presses, letting queued operations run in between.

#include "app/editor_settings.h"
#include "app/main_window.h"
#include "fake_prompts.h"
#include "support/bytes.h"
#include "support/picture_files.h"
#include "support/temp_dir.h"
#include "text/cp932.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QUrl>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace pdt::test {

inline std::string cp932(const char* utf8) {
    return text::toCp932(utf8).value();
}

inline Bytes readFile(const QString& path) {
    return readFile(path.toStdString());
}
inline void writeFile(const QString& path, const Bytes& bytes) {
    writeFile(path.toStdString(), bytes);
}

// The table with what only the editor keeps (the native picture paths) left out.
inline puzzle::PatternTable storedPart(const puzzle::Document& doc) {
    puzzle::PatternTable t = doc.table;
    for (auto& r : t)
        r.sourceFiles = {};
    return t;
}

// A message of the main window, captioned "情報" as all of them are.
inline ShownMessage shown(const char* text, puzzle::MessageIcon icon = puzzle::MessageIcon::None) {
    return {text, "情報", icon, "PZ_BIND"};
}

// Types text into the focused edit: ASCII as key presses, anything else as the committed
// text of an input method, the way Japanese text arrives.
inline void typeText(QWidget* edit, const QString& text) {
    QString run;
    const auto flushRun = [&] {
        if (run.isEmpty())
            return;
        QInputMethodEvent commit;
        commit.setCommitString(run);
        QCoreApplication::sendEvent(edit, &commit);
        run.clear();
    };
    for (const QChar c : text) {
        if (c.unicode() < 0x80 && c != QLatin1Char('\n')) {
            flushRun();
            QTest::keyClick(edit, char(c.unicode()));
        } else if (c == QLatin1Char('\n')) {
            flushRun();
            QTest::keyClick(edit, Qt::Key_Return);
        } else {
            run += c;
        }
    }
    flushRun();
}

// Runs everything posted so far, including what those handlers post in turn, and waits
// for the pictures the editor windows asked for their frames.
inline void settle() {
    const auto pending = [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* editor = qobject_cast<app::MainWindow*>(w); editor && editor->busy())
                return true;
        return false;
    };
    for (int i = 0; i < 5 || (pending() && i < 2000); ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (i >= 5)
            QThread::msleep(2);
    }
}

struct EditorWindow {
    FakePrompts prompts;
    // Each window starts from settings of its own, never the user's.
    QTemporaryDir settingsFolder;
    app::EditorSettings settings{settingsFolder.filePath(QStringLiteral("settings.ini"))};
    std::unique_ptr<app::MainWindow> window;

    explicit EditorWindow(app::DialogVariant variant = app::DialogVariant::PZ_BIND) {
        start(variant);
    }

    // The next run of the editor: a new window with the same settings.
    void restart() {
        window.reset();
        start(app::DialogVariant::PZ_BIND);
    }

    void start(app::DialogVariant variant) {
        window = std::make_unique<app::MainWindow>(variant, prompts, &settings);
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        settle();
    }

    const puzzle::Document& doc() const { return window->session().document(); }
    // The title as the window system shows it, the modified marker resolved.
    QString title() const { return window->windowHandle()->title(); }
    const puzzle::EditorState& state() const { return doc().state; }
    bool unsaved() const { return window->session().unsaved(); }
    // The pattern whose details are shown.
    int shown() const { return window->session().shown(); }

    template <typename W> W* find(const char* name) const {
        W* w = window->findChild<W*>(QString::fromUtf8(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QListView* list() const { return find<QListView>("IDC_PATTERN_LIST"); }
    QModelIndex entry(int row) const { return list()->model()->index(row, 0); }
    int entryCount() const { return list()->model()->rowCount(); }
    int caret() const { return list()->currentIndex().row(); }
    QPlainTextEdit* clearComment() const { return find<QPlainTextEdit>("IDC_CLEAR_COMMENT"); }
    QPlainTextEdit* finishComment() const { return find<QPlainTextEdit>("IDC_FINISH_COMMENT"); }
    QLineEdit* password() const { return find<QLineEdit>("IDC_PASSWORD"); }
    QCheckBox* rotation() const { return find<QCheckBox>("IDC_ROTATION"); }
    QComboBox* minPieces() const { return find<QComboBox>("IDC_MIN_PIECES"); }

    void trigger(const char* actionName) {
        find<QAction>(actionName)->trigger();
        settle();
    }
    // A command by its object name: a menu command or a button.
    void use(const char* name) {
        if (window->findChild<QAction*>(QString::fromUtf8(name)))
            trigger(name);
        else
            click(name);
    }
    void open(const QString& file) {
        prompts.openChoices.push_back(file);
        trigger("IDM_OPEN");
    }
    void saveAs(const QString& file) {
        prompts.saveChoices.push_back(file);
        trigger("IDM_SAVE");
    }

    void click(const char* buttonName) {
        QTest::mouseClick(find<QAbstractButton>(buttonName), Qt::LeftButton);
        settle();
    }
    // Picture slot 0 is the puzzle picture, 1 the finished one; an empty name cancels.
    void attach(int slot, const QString& file) {
        prompts.openChoices.push_back(file);
        click(slot == 0 ? "IDC_ADD_PUZZLE_IMAGE" : "IDC_ADD_FINISHED_IMAGE");
    }
    void extract(int slot, const QString& target) {
        prompts.saveChoices.push_back(target);
        click(slot == 0 ? "IDC_EXTRACT_PUZZLE_IMAGE" : "IDC_EXTRACT_FINISHED_IMAGE");
    }

    void clickRow(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QListView* l = list();
        l->scrollTo(entry(row));
        QTest::mouseClick(l->viewport(), Qt::LeftButton, modifiers,
                          l->visualRect(entry(row)).center());
        settle();
    }

    // Replaces a comment's text the way a user does: select all, then type.
    void typeInto(QWidget* edit, const QString& text) {
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Delete);
        typeText(edit, text);
        settle();
    }

    // Drops files on a control (the list unless told), as the window system delivers a
    // drop: enter, then drop.
    void dropFiles(const QStringList& paths, QWidget* on = nullptr) {
        if (!on)
            on = list();
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& p : paths)
            urls.push_back(QUrl::fromLocalFile(p));
        data.setUrls(urls);
        drop(data, on->mapTo(window.get(), on->rect().center()));
    }

    // Drops data at a point of the window, as the window system delivers it.
    void drop(const QMimeData& data, QPoint at, Qt::DropAction action = Qt::CopyAction) {
        QWindow* target = window->windowHandle();
        QDragEnterEvent enter(at, action, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(at, action, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
        settle();
    }

    // Chooses an entry of IDC_MIN_PIECES by its text with the keyboard, as a user does.
    void choosePieceCount(const QString& text) {
        QComboBox* box = minPieces();
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Home);
        for (int i = 0; i < box->count() && box->currentText() != text; ++i)
            QTest::keyClick(box, Qt::Key_Down);
        EXPECT_EQ(box->currentText(), text);
        settle();
    }

    std::vector<QString> pieceChoices() const {
        std::vector<QString> out;
        for (int i = 0; i < minPieces()->count(); ++i)
            out.push_back(minPieces()->itemText(i));
        return out;
    }

    std::vector<QString> entries() const {
        std::vector<QString> out;
        for (int i = 0; i < entryCount(); ++i)
            out.push_back(entry(i).data().toString());
        return out;
    }

    std::vector<int> selectedRows() const {
        std::vector<int> rows;
        for (int i = 0; i < entryCount(); ++i)
            if (list()->selectionModel()->isSelected(entry(i)))
                rows.push_back(i);
        return rows;
    }

    std::string storedClearComment(int i) const {
        return std::string(puzzle::fieldText(doc().pattern(i).clearComment));
    }

    // Patterns whose clear comments are the given names, made through the window: each is
    // added, shown and typed into; the last one is committed by the save-style commit.
    void makePatterns(const std::vector<QString>& names) {
        for (size_t i = 0; i < names.size(); ++i) {
            if (i > 0)
                click("IDC_ADD_PATTERN");
            typeInto(clearComment(), names[i]);
        }
        window->commit();
        settle();
    }

    std::vector<std::string> storedClearComments() const {
        std::vector<std::string> out;
        for (int i = 0; i < doc().patternCount(); ++i)
            out.push_back(storedClearComment(i));
        return out;
    }
};

// Window tests with a folder of their own for sets and pictures.
class WindowTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return QDir(dir.path()).filePath(name); }

    // A w x h picture file in the format its suffix names; a gradient unless filled.
    QString picture(const QString& name, int w = 320, int h = 240, QColor fill = {}) const {
        QImage image = gradientPicture(w, h);
        if (fill.isValid())
            image.fill(fill);
        EXPECT_TRUE(image.save(path(name))) << name.toStdString();
        return path(name);
    }
};

} // namespace pdt::test
