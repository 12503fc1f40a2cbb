#include "app/main_window.h"
#include "app/qt_prompts.h"
#include "app/qt_translation.h"
#include "app/start_up.h"

#include <QApplication>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <cstdio>

namespace {

// The real prompts, except that the picture dialogs are answered from a list while it lasts,
// so that a screenshot can show pictures attached through the add buttons.
class ScreenshotPrompts : public pdt::app::QtPrompts {
  public:
    explicit ScreenshotPrompts(QStringList pictures) : pictures_(std::move(pictures)) {}

    std::optional<QString> chooseOpenFile(QWidget* owner,
                                          const pdt::app::FileDialogRequest& request) override {
        if (pictures_.isEmpty())
            return QtPrompts::chooseOpenFile(owner, request);
        return pictures_.takeFirst();
    }

  private:
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
    const pdt::app::StartOptions options =
        pdt::app::ParseStartArguments(QApplication::arguments().mid(1));

    ScreenshotPrompts prompts(options.screenshotFile.isEmpty() ? QStringList()
                                                               : options.screenshotPictures);
    pdt::app::MainWindow window(options.variant, prompts);
    window.show();
    if (options.fileToOpen) {
        const QString path = *options.fileToOpen;
        QMetaObject::invokeMethod(
            &window, [&window, path] { window.dropFiles({path}); }, Qt::QueuedConnection);
    }

    if (!options.screenshotFile.isEmpty())
        return saveScreenshot(window, options.screenshotFile, options.screenshotPictures.size());
    return QApplication::exec();
}
