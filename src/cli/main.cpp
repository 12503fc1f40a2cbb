#include "cli/commands.h"

#include <QCoreApplication>

#include <string_view>
#include <vector>

int main(int argc, char** argv) {
    // Picture decoding needs Qt's image plugins, which a core application finds; no
    // display is involved.
    QCoreApplication app(argc, argv);
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    return pdt::cli::RunAdxtool(args, pdt::cli::Console{});
}
