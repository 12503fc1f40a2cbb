// The Windows side of the password's sources: the console with echo turned off, read as
// UTF-16 so that any character can be typed, and password files that are disk files or pipes.
#include "cli/password.h"

#include "puzzle/file_system.h"

#include <windows.h>

namespace pdt::cli::password_io {

namespace {

// The console mode to restore if Ctrl+C or a closed window ends the program while echo is
// off: the mode belongs to the console, which outlives this program.
HANDLE consoleInput = INVALID_HANDLE_VALUE;
DWORD savedMode = 0;
volatile LONG echoIsOff = 0;

BOOL WINAPI restoreConsole(DWORD) {
    if (echoIsOff)
        SetConsoleMode(consoleInput, savedMode);
    return FALSE; // the default handler still ends the program
}

std::string utf8Of(const std::wstring& wide) {
    if (wide.empty())
        return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(size_t(n > 0 ? n : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), out.data(), n, nullptr, nullptr);
    return out;
}

} // namespace

bool stdinIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode);
}

std::optional<std::string> askWithoutEcho(std::string_view file, const Console& console) {
    consoleInput = GetStdHandle(STD_INPUT_HANDLE);
    if (!GetConsoleMode(consoleInput, &savedMode))
        return std::nullopt;
    SetConsoleCtrlHandler(restoreConsole, TRUE);
    echoIsOff = 1;
    SetConsoleMode(consoleInput, (savedMode & ~DWORD(ENABLE_ECHO_INPUT)) | ENABLE_LINE_INPUT |
                                     ENABLE_PROCESSED_INPUT);
    // Only now that echo is off: whatever is typed after the prompt stays hidden.
    const std::string prompt = "Password for " + OneLine(file) + ": ";
    std::fwrite(prompt.data(), 1, prompt.size(), console.err);
    std::fflush(console.err);

    std::wstring line;
    bool complete = false;
    wchar_t buffer[256];
    for (;;) {
        DWORD n = 0;
        if (!ReadConsoleW(consoleInput, buffer, DWORD(std::size(buffer)), &n, nullptr) || n == 0)
            break;
        const std::wstring_view got(buffer, n);
        const auto nl = got.find(L'\n');
        line.append(got.substr(0, nl));
        if (nl != std::wstring_view::npos) {
            complete = true;
            break;
        }
        // Ctrl+Z at the start of a line is the console's end of input.
        if (!line.empty() && line.back() == L'\x1A') {
            line.pop_back();
            break;
        }
        if (line.size() > kPasswordFileLimit)
            line.resize(kPasswordFileLimit);
    }

    SetConsoleMode(consoleInput, savedMode);
    echoIsOff = 0;
    SetConsoleCtrlHandler(restoreConsole, FALSE);
    // The line break typed was not echoed either.
    std::fputc('\n', console.err);
    if (!complete && line.empty())
        return std::nullopt;
    if (!line.empty() && line.back() == L'\r')
        line.pop_back();
    return utf8Of(line);
}

std::optional<std::string> readFileStart(const std::string& path, int& error) {
    const auto wide = puzzle::WidePath(path);
    if (!wide) {
        error = path.empty() ? ENOENT : EINVAL;
        return std::nullopt;
    }
    const HANDLE h = CreateFileW(wide->c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        const DWORD attributes = GetFileAttributesW(wide->c_str());
        error = e == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
                        (attributes & FILE_ATTRIBUTE_DIRECTORY)
                    ? EISDIR
                    : puzzle::ErrnoOfWindowsError(e);
        return std::nullopt;
    }
    // A disk file or a pipe; a device (NUL, a console, a port) is no password file.
    const DWORD type = GetFileType(h);
    if (type != FILE_TYPE_DISK && type != FILE_TYPE_PIPE) {
        CloseHandle(h);
        error = EINVAL;
        return std::nullopt;
    }
    std::string content;
    char buffer[4096];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(h, buffer, sizeof buffer, &n, nullptr)) {
            const DWORD e = GetLastError();
            if (e == ERROR_BROKEN_PIPE || e == ERROR_HANDLE_EOF)
                break; // the writer is done
            CloseHandle(h);
            error = puzzle::ErrnoOfWindowsError(e);
            return std::nullopt;
        }
        if (n == 0)
            break;
        content.append(buffer, n);
        if (content.find('\n') != std::string::npos || content.size() >= kPasswordFileLimit)
            break;
    }
    CloseHandle(h);
    return content;
}

} // namespace pdt::cli::password_io
