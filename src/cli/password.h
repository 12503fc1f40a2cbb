#pragma once
// The password a protected file needs: from --password, from the first line of
// --password-file, or asked for on the terminal without echo.

#include "cli/console.h"
#include "cli/exit_status.h"

#include <optional>
#include <string>
#include <string_view>

namespace pdt::cli {

struct PasswordSource {
    std::optional<std::string> given;    // UTF-8
    std::optional<std::string> fromFile; // path of a file whose first line is the password
    bool mayAsk = true;                  // on a terminal, when neither is given
};

// Nothing when the file has no password (storedCp932 empty) or the password given, once
// encoded in code page 932, equals the stored one byte for byte. Otherwise exit 3 (or
// exit 1 when the password file cannot be read). Messages never show a password.
Check CheckPassword(std::string_view storedCp932, const PasswordSource& source,
                    std::string_view fileForPrompt, const Console& console);

// The first line of a password file, without its line break.
std::optional<std::string> ReadPasswordFile(const std::string& path, int& error);

// What each system does for the above: password.cpp for POSIX, password_windows.cpp.
namespace password_io {

// A password file is a line of at most 16 bytes; anything longer than this is no
// password file.
inline constexpr size_t kPasswordFileLimit = 64 * 1024;

bool stdinIsTerminal();
// One line typed on the terminal (UTF-8) with echo turned off; nothing on end of input.
std::optional<std::string> askWithoutEcho(std::string_view file, const Console& console);
// The file's bytes up to its first line break or kPasswordFileLimit. Takes a regular file
// or a pipe, and refuses a folder (EISDIR) or anything else (EINVAL).
std::optional<std::string> readFileStart(const std::string& path, int& error);

} // namespace password_io

} // namespace pdt::cli
