#include "cli/commands.h"
#include "cli/program_arguments.h"

#include <QCoreApplication>

#include <csignal>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Everything adxtool says is its own: one line on a failure. What Qt's libraries log
// (a decoder working around damage, say) is not for the user.
void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

} // namespace

int main(int argc, char** argv) {
    // Past a file-size limit a write then fails with EFBIG, which the save reports and
    // cleans up after, instead of the signal ending the program without a word.
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    qInstallMessageHandler(quiet);
    // Picture decoding needs Qt's image plugins, which a core application finds; no
    // display is involved.
    QCoreApplication app(argc, argv);
    pdt::cli::UseUtf8Console();
    const std::vector<std::string> given = pdt::cli::ProgramArguments(argc, argv);
    const std::vector<std::string_view> args(given.begin(), given.end());
    return pdt::cli::RunAdxtool(args, pdt::cli::Console{});
}
