#pragma once
// Runs the built adxtool as a separate process, as a user or a build pipeline would, and
// captures its output and exit status.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pdt::test {

struct ToolRun {
    int exitCode = -1; // -1 when it died of a signal
    int signal = 0;
    std::string out;
    std::string err;
};

struct ToolOptions {
    std::string workingDirectory;              // empty: the test's own
    std::string input;                         // on standard input (a pipe); under 64 KiB
    std::optional<std::uint64_t> addressSpace; // RLIMIT_AS for the child, in bytes
    std::optional<std::uint64_t> fileSize;     // RLIMIT_FSIZE for the child, in bytes
    std::string stdoutPath;                    // standard output to this file instead
};

// The child runs without DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM: adxtool needs no
// display. A child that has not ended after two minutes is ended by SIGALRM, so a tool
// that blocks fails its test instead of hanging it.
ToolRun runAdxtool(const std::vector<std::string>& args, const ToolOptions& options = {});

// The same with standard input, output and error on a pseudo terminal: `answer` is typed
// once the output holds `prompt`. Everything the terminal showed ends up in `out`.
ToolRun runAdxtoolOnTerminal(const std::vector<std::string>& args, const std::string& prompt,
                             const std::string& answer);

// True when the tool was built with AddressSanitizer, which cannot run under RLIMIT_AS.
bool sanitizedBuild();

} // namespace pdt::test
