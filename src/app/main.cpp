#include "app/command_line.h"
#include "app/main_window.h"
#include "app/qt_prompts.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

namespace {

constexpr char kScreenshotOption[] = "--screenshot-to=";

// Renders the window as it appears after start-up into a PNG file, for the documentation.
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

    QStringList arguments = app.arguments().mid(1);
    QString screenshot;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i].startsWith(QLatin1String(kScreenshotOption))) {
            screenshot = arguments[i].mid(qsizetype(sizeof kScreenshotOption) - 1);
            arguments.removeAt(i--);
        }
    }

    // The shell has already split the command line; only the first argument matters.
    const std::string first =
        arguments.isEmpty() ? "" : QFile::encodeName(arguments[0]).toStdString();
    const auto variant = pdt::app::ChooseDialogVariant(arguments.isEmpty() ? nullptr : &first);

    pdt::app::QtPrompts prompts;
    pdt::app::MainWindow window(variant, prompts);
    window.show();

    // A file named first opens as if it had been dropped, so that file associations work.
    if (variant == pdt::app::DialogVariant::PZ_BIND && !arguments.isEmpty()) {
        const QFileInfo named(arguments[0]);
        if (named.isFile()) {
            const QString path = named.absoluteFilePath();
            QMetaObject::invokeMethod(
                &window, [&window, path] { window.dropFiles({path}); }, Qt::QueuedConnection);
        }
    }

    if (!screenshot.isEmpty())
        return saveScreenshot(window, screenshot);
    return QApplication::exec();
}
