#pragma once
// Opening a puzzle data file for list, extract and verify: the header, the walk over its
// records and the password, before anything is printed or written.

#include "cli/console.h"
#include "cli/exit_status.h"
#include "cli/password.h"
#include "puzzle/byte_source.h"
#include "puzzle/record_walk.h"

#include <memory>
#include <optional>
#include <string>
#include <variant>

namespace pdt::cli {

struct PuzzleFile {
    std::string path;
    std::unique_ptr<puzzle::FileByteSource> source; // open for the command's reads
    puzzle::WalkResult walk;                        // may report damage
};

// Fails with exit 1 for a path that cannot be opened as a file, a file shorter than the
// header and a file that is no puzzle data file; with exit 3 when the password is missing
// or wrong. Damage further on is left to the caller, with the records read soundly.
std::variant<PuzzleFile, Failure>
OpenPuzzleFile(const std::string& path, const PasswordSource& password, const Console& console);

// Why a path cannot be opened for reading as a regular file; nothing when it can.
std::optional<std::string> UnreadableReason(const std::string& path);

// The reason, or "cannot be read" when the file was readable a moment ago.
std::string WhyNotReadable(const std::string& path);

} // namespace pdt::cli
