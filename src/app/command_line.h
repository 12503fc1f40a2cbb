#pragma once
// The editor's command line. Only the first argument matters: the hidden word selects
// the main window with the vendor-information check box.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pdt::app {

inline constexpr std::size_t kCommandLineBufferSize = 520;
inline constexpr std::size_t kMaxArguments = 20;

struct CommandLine {
    std::string programPath;
    std::vector<std::string> arguments; // at most kMaxArguments

    const std::string* firstArgument() const {
        return arguments.empty() ? nullptr : &arguments.front();
    }
};

// Splits a raw command line the way the Windows program does: the program path, quoted
// or up to the first space, then arguments separated by spaces, where an argument that
// starts with a double quote runs to the next one (quotes dropped) and any other keeps
// its quotes. Everything lands in one 520-byte buffer of NUL-terminated strings with at
// most 20 arguments; what does not fit is dropped (the program path is cut to fit).
CommandLine ParseCommandLine(std::string_view raw);

enum class DialogVariant { PZ_BIND, PZ_BIND2 };

// PZ_BIND2 when the first argument is the hidden word in any letter case.
DialogVariant ChooseDialogVariant(const std::string* firstArgument);

} // namespace pdt::app
