#include "cli/program_arguments.h"

#ifdef _WIN32
#include <windows.h>

// Needs the types windows.h declares.
#include <shellapi.h>

#include <cstdlib>
#endif

namespace pdt::cli {

#ifdef _WIN32

namespace {

UINT savedOutputCodePage = 0;

void restoreOutputCodePage() {
    SetConsoleOutputCP(savedOutputCodePage);
}

std::string utf8Of(const wchar_t* wide) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n > 0 ? n : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, out.data(), n, nullptr, nullptr);
    out.pop_back(); // the NUL
    return out;
}

} // namespace

std::vector<std::string> ProgramArguments(int, char**) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; wide && i < count; ++i)
        args.push_back(utf8Of(wide[i]));
    LocalFree(wide);
    return args;
}

void UseUtf8Console() {
    // The code page belongs to the console, which outlives this program.
    savedOutputCodePage = GetConsoleOutputCP();
    if (savedOutputCodePage != 0 && savedOutputCodePage != CP_UTF8 && SetConsoleOutputCP(CP_UTF8))
        std::atexit(restoreOutputCodePage);
}

#else

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

void UseUtf8Console() {}

#endif

} // namespace pdt::cli
