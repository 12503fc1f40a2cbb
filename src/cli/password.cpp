#include "cli/password.h"

#include "text/cp932.h"

#include <cerrno>
#include <cstring>

#ifndef _WIN32
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace pdt::cli {

#ifndef _WIN32

namespace password_io {

namespace {

// The terminal settings to restore if a signal ends the program while echo is off.
struct termios savedTerminal;
volatile std::sig_atomic_t echoIsOff = 0;

void restoreTerminalAndDie(int signal) {
    if (echoIsOff)
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

bool stdinIsTerminal() {
    return isatty(STDIN_FILENO);
}

std::optional<std::string> askWithoutEcho(std::string_view file, const Console& console) {
    if (tcgetattr(STDIN_FILENO, &savedTerminal) != 0)
        return std::nullopt;
    constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP};
    for (const int s : kSignals)
        std::signal(s, restoreTerminalAndDie);
    struct termios quiet = savedTerminal;
    quiet.c_lflag &= ~tcflag_t(ECHO);
    quiet.c_lflag |= ECHONL;
    echoIsOff = 1;
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    // Only now that echo is off: whatever is typed after the prompt stays hidden.
    const std::string prompt = "Password for " + OneLine(file) + ": ";
    std::fwrite(prompt.data(), 1, prompt.size(), console.err);
    std::fflush(console.err);

    std::string line;
    bool complete = false;
    char c = 0;
    for (;;) {
        const ssize_t n = read(STDIN_FILENO, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        if (c == '\n') {
            complete = true;
            break;
        }
        if (line.size() < kPasswordFileLimit)
            line += c;
    }

    tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
    echoIsOff = 0;
    for (const int s : kSignals)
        std::signal(s, SIG_DFL);
    if (!complete && line.empty())
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

std::optional<std::string> readFileStart(const std::string& path, int& error) {
    // A pipe is taken (`--password-file <(command)`), and waited for once opened: without
    // a writer it reads as empty at once. Opening never waits, and a folder, device or
    // socket is refused.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = errno;
        return std::nullopt;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !(S_ISREG(st.st_mode) || S_ISFIFO(st.st_mode)) ||
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        close(fd);
        return std::nullopt;
    }
    std::string content;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = errno;
            close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        content.append(buffer, size_t(n));
        if (content.find('\n') != std::string::npos || content.size() >= kPasswordFileLimit)
            break;
    }
    close(fd);
    return content;
}

} // namespace password_io

#endif // !_WIN32

std::optional<std::string> ReadPasswordFile(const std::string& path, int& error) {
    auto content = password_io::readFileStart(path, error);
    if (!content)
        return std::nullopt;
    if (const auto nl = content->find('\n'); nl != std::string::npos)
        content->resize(nl);
    if (!content->empty() && content->back() == '\r')
        content->pop_back();
    return content;
}

Check CheckPassword(std::string_view storedCp932, const PasswordSource& source,
                    std::string_view fileForPrompt, const Console& console) {
    if (storedCp932.empty())
        return std::nullopt;

    std::optional<std::string> typed = source.given;
    if (!typed && source.fromFile) {
        int error = 0;
        typed = ReadPasswordFile(*source.fromFile, error);
        if (!typed)
            return failed(
                "cannot read the password file " + *source.fromFile + ": " +
                (error == EINVAL ? "not a regular file or a pipe" : std::strerror(error)));
    }
    if (!typed && source.mayAsk && password_io::stdinIsTerminal())
        typed = password_io::askWithoutEcho(fileForPrompt, console);
    if (!typed)
        return Failure{kExitPassword, std::string(fileForPrompt) +
                                          " has a password: give --password or --password-file"};

    const auto encoded = text::toCp932(*typed);
    if (!encoded || *encoded != storedCp932)
        return Failure{kExitPassword, "wrong password for " + std::string(fileForPrompt)};
    return std::nullopt;
}

} // namespace pdt::cli
