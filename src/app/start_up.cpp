#include "app/start_up.h"

#include <QFile>
#include <QFileInfo>

#include <string_view>

namespace pdt::app {

namespace {
const QLatin1String kScreenshotOption("--screenshot-to=");
const QLatin1String kScreenshotPictureOption("--screenshot-picture=");
const QLatin1String kTypeOption("--test-type=");
const QLatin1String kAnswerOption("--test-answer=");
const QLatin1String kSaveToOption("--test-save-to=");

// Takes an option of the form PREFIXvalue out of the arguments; true when it was one.
bool take(QStringList& arguments, qsizetype& i, QLatin1String prefix, QString& value) {
    if (!arguments[i].startsWith(prefix))
        return false;
    value = arguments[i].mid(prefix.size());
    arguments.removeAt(i--);
    return true;
}

} // namespace

const char kVersionText[] = "puzzle-data-tool " PDT_VERSION "\n";

bool AsksForVersion(int argc, const char* const* argv) {
    return argc == 2 && std::string_view(argv[1]) == "--version";
}

StartOptions ParseStartArguments(QStringList arguments) {
    StartOptions options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString value;
        if (take(arguments, i, kScreenshotOption, options.screenshotFile) ||
            take(arguments, i, kTypeOption, options.testType) ||
            take(arguments, i, kSaveToOption, options.testSaveTo))
            continue;
        if (take(arguments, i, kScreenshotPictureOption, value))
            options.screenshotPictures.push_back(value);
        else if (take(arguments, i, kAnswerOption, value))
            options.testAnswer = value == QLatin1String("yes");
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
