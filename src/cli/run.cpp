#include "cli/commands.h"

#include <variant>

namespace pdt::cli {

int Report(const Failure& failure, const Console& console) {
    console.error(failure.message);
    return failure.exitCode;
}

int RunAdxtool(std::span<const std::string_view> args, const Console& console) {
    auto parsed = ParseArguments(args);
    if (const auto* usage = std::get_if<UsageError>(&parsed)) {
        console.error(usage->message);
        std::fputs(kUsageText, console.err);
        return kExitUsage;
    }
    const auto& a = std::get<Arguments>(parsed);
    int code = kExitSuccess;
    switch (a.command) {
    case Command::Help:
        console.print(a.helpText);
        break;
    case Command::Version:
        console.print(kVersionText);
        break;
    case Command::List:
        code = ListCommand(a, console);
        break;
    case Command::Extract:
        code = ExtractCommand(a, console);
        break;
    case Command::Pack:
        code = PackCommand(a, console);
        break;
    case Command::Pieces:
        code = PiecesCommand(a, console);
        break;
    case Command::Verify:
        code = VerifyCommand(a, console);
        break;
    case Command::Thumbnail:
        code = ThumbnailCommand(a, console);
        break;
    }
    // A result that could not be written out (a full disk, a closed pipe) is a failure.
    if (std::fflush(console.out) != 0 || std::ferror(console.out)) {
        console.error("cannot write the output");
        return code == kExitSuccess ? kExitFailed : code;
    }
    return code;
}

} // namespace pdt::cli
