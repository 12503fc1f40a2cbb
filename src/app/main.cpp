#include "app/main_window.h"
#include "app/qt_prompts.h"
#include "app/qt_translation.h"
#include "app/recovery.h"
#include "app/start_up.h"

#include <QApplication>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <cstdio>

namespace {

using pdt::app::StartOptions;

// The real prompts, except where the command line scripts them: the picture dialogs of a
// screenshot are answered from its list while it lasts, and a test's questions, save dialog
// and messages are answered without a window.
class ScriptedPrompts : public pdt::app::QtPrompts {
  public:
    explicit ScriptedPrompts(const StartOptions& o)
        : options_(o),
          pictures_(o.screenshotFile.isEmpty() ? QStringList() : o.screenshotPictures) {}

    std::optional<QString> chooseOpenFile(QWidget* owner,
                                          const pdt::app::FileDialogRequest& request) override {
        if (pictures_.isEmpty())
            return QtPrompts::chooseOpenFile(owner, request);
        return pictures_.takeFirst();
    }
    std::optional<QString> chooseSaveFile(QWidget* owner,
                                          const pdt::app::FileDialogRequest& request) override {
        if (options_.testSaveTo.isEmpty())
            return QtPrompts::chooseSaveFile(owner, request);
        return options_.testSaveTo;
    }
    bool ask(QWidget* owner, const pdt::app::Question& question) override {
        if (!options_.testAnswer)
            return QtPrompts::ask(owner, question);
        std::fprintf(stderr, "%s: %s\n", question.text.c_str(),
                     *options_.testAnswer ? "yes" : "no");
        return *options_.testAnswer;
    }
    void showMessage(QWidget* owner, const pdt::puzzle::UserMessage& message) override {
        if (!options_.scripted())
            return QtPrompts::showMessage(owner, message);
        std::fprintf(stderr, "%s\n", message.text.c_str());
    }

  private:
    const StartOptions& options_;
    QStringList pictures_;
};

// Renders the window as it looks after start-up into a PNG file, for the documentation,
// once the given pictures are attached: the first to the puzzle slot, the second to the
// finished slot.
int saveScreenshot(pdt::app::MainWindow& window, const QString& file, qsizetype pictures) {
    QTimer::singleShot(0, &window, [&window, pictures] {
        const char* buttons[] = {"IDC_ADD_PUZZLE_IMAGE", "IDC_ADD_FINISHED_IMAGE"};
        for (qsizetype i = 0; i < std::min<qsizetype>(pictures, 2); ++i)
            window.findChild<QPushButton*>(QString::fromUtf8(buttons[i]))->click();
    });
    QTimer::singleShot(200, &window, [&window, file] {
        const bool ok = window.grab().save(file, "PNG");
        if (!ok)
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        QCoreApplication::exit(ok ? 0 : 1);
    });
    return QApplication::exec();
}

// The test route: types into the window as a user does, then saves and quits when asked to.
void runTestRoute(pdt::app::MainWindow& window, const StartOptions& options) {
    QTimer::singleShot(300, &window, [&window, options] {
        if (!options.testType.isEmpty()) {
            auto* comment = window.findChild<QPlainTextEdit*>(QStringLiteral("IDC_CLEAR_COMMENT"));
            comment->setFocus();
            comment->insertPlainText(options.testType);
        }
        if (!options.testSaveTo.isEmpty()) {
            window.saveAs();
            QCoreApplication::quit();
        }
    });
}

} // namespace

int main(int argc, char* argv[]) {
    if (pdt::app::AsksForVersion(argc, argv)) {
        std::fputs(pdt::app::kVersionText, stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    // A save past a file-size limit then fails with EFBIG and says so.
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    QApplication app(argc, argv);
    pdt::app::installQtJapanese(app);
    // Names the installed desktop entry, through which Wayland shows the window's icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(PDT_APP_ID));
    const StartOptions options = pdt::app::ParseStartArguments(QApplication::arguments().mid(1));
    ScriptedPrompts prompts(options);

    // What an editor that died left unsaved is offered before anything else; a file named
    // on the command line is opened only when nothing was taken up.
    std::unique_ptr<pdt::app::RecoverySlot> recovery;
    if (options.screenshotFile.isEmpty())
        recovery = pdt::app::OfferRecovery(pdt::app::RecoverySlot::defaultRoot(), prompts);
    const bool recovered = recovery && recovery->recovered();

    int status = 0;
    {
        pdt::app::MainWindow window(options.variant, prompts, nullptr, recovery.get());
        window.show();
        if (options.fileToOpen && !recovered) {
            const QString path = *options.fileToOpen;
            QMetaObject::invokeMethod(
                &window, [&window, path] { window.dropFiles({path}); }, Qt::QueuedConnection);
        }
        if (!options.screenshotFile.isEmpty())
            return saveScreenshot(window, options.screenshotFile,
                                  options.screenshotPictures.size());
        runTestRoute(window, options);
        status = QApplication::exec();
    }
    // A normal end: nothing is left to recover.
    if (recovery)
        recovery->remove();
    return status;
}
