#pragma once
// How a command ends: the exit code and, when it failed, the one line that says why.

#include <optional>
#include <string>

namespace pdt::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailed = 1;   // the operation failed, or the file is damaged
inline constexpr int kExitUsage = 2;    // the command line is wrong
inline constexpr int kExitPassword = 3; // a password is needed, or the one given is wrong

struct Failure {
    int exitCode = kExitFailed;
    std::string message; // one line, without the program name
};

inline Failure failed(std::string message) {
    return {kExitFailed, std::move(message)};
}

// Functions that only check or prepare return nothing on success.
using Check = std::optional<Failure>;

} // namespace pdt::cli
