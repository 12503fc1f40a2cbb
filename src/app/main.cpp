#include "app/main_window.h"
#include "app/qt_prompts.h"
#include "app/start_up.h"

#include <QApplication>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

namespace {

// Renders the window as it looks after start-up into a PNG file, for the documentation.
int saveScreenshot(pdt::app::MainWindow& window, const QString& file) {
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
    QApplication app(argc, argv);
    const pdt::app::StartOptions options =
        pdt::app::ParseStartArguments(QApplication::arguments().mid(1));

    pdt::app::QtPrompts prompts;
    pdt::app::MainWindow window(options.variant, prompts);
    window.show();
    if (options.fileToOpen) {
        const QString path = *options.fileToOpen;
        QMetaObject::invokeMethod(
            &window, [&window, path] { window.dropFiles({path}); }, Qt::QueuedConnection);
    }

    if (!options.screenshotFile.isEmpty())
        return saveScreenshot(window, options.screenshotFile);
    return QApplication::exec();
}
