#pragma once
// The commands of adxtool. Each prints its results to console.out, at most one line to
// console.err, and returns the exit code.

#include "cli/arguments.h"
#include "cli/console.h"
#include "cli/exit_status.h"

#include <span>
#include <string_view>

namespace pdt::cli {

int ListCommand(const Arguments& args, const Console& console);
int ExtractCommand(const Arguments& args, const Console& console);
int PackCommand(const Arguments& args, const Console& console);
int PiecesCommand(const Arguments& args, const Console& console);
int VerifyCommand(const Arguments& args, const Console& console);
int ThumbnailCommand(const Arguments& args, const Console& console);

// Parses the command line (without the program name) and runs the command.
int RunAdxtool(std::span<const std::string_view> args, const Console& console);

// Prints the failure's line and gives its exit code.
int Report(const Failure& failure, const Console& console);

} // namespace pdt::cli
