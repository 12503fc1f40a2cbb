#include "app/start_up.h"

#include <QFile>
#include <QFileInfo>

#include <string_view>

namespace pdt::app {

namespace {
const QLatin1String kScreenshotOption("--screenshot-to=");
const QLatin1String kScreenshotPictureOption("--screenshot-picture=");
} // namespace

const char kVersionText[] = "puzzle-data-tool " PDT_VERSION "\n";

bool AsksForVersion(int argc, const char* const* argv) {
    return argc == 2 && std::string_view(argv[1]) == "--version";
}

StartOptions ParseStartArguments(QStringList arguments) {
    StartOptions options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i].startsWith(kScreenshotOption)) {
            options.screenshotFile = arguments[i].mid(kScreenshotOption.size());
            arguments.removeAt(i--);
        } else if (arguments[i].startsWith(kScreenshotPictureOption)) {
            options.screenshotPictures.push_back(arguments[i].mid(kScreenshotPictureOption.size()));
            arguments.removeAt(i--);
        }
    }
    if (arguments.isEmpty())
        return options;

    const std::string first = QFile::encodeName(arguments.front()).toStdString();
    options.variant = ChooseDialogVariant(&first);
    if (options.variant == DialogVariant::PZ_BIND) {
        const QFileInfo named(arguments.front());
        if (named.isFile())
            options.fileToOpen = named.absoluteFilePath();
    }
    return options;
}

} // namespace pdt::app
