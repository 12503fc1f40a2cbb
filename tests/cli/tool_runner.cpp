#include "cli/tool_runner.h"

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pdt::test {

namespace {

// Execs adxtool in a child without the display variables; never returns.
[[noreturn]] void execTool(const std::vector<std::string>& args) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        unsetenv(name);
    std::vector<char*> argv = {const_cast<char*>(ADXTOOL_PATH)};
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    alarm(120); // survives the exec
    execv(ADXTOOL_PATH, argv.data());
    _exit(127);
}

std::string contents(int fd) {
    std::string text;
    char buffer[65536];
    for (ssize_t n; (n = pread(fd, buffer, sizeof buffer, off_t(text.size()))) > 0;)
        text.append(buffer, size_t(n));
    close(fd);
    return text;
}

void finish(pid_t pid, ToolRun& run) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status))
        run.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        run.signal = WTERMSIG(status);
}

} // namespace

ToolRun runAdxtool(const std::vector<std::string>& args, const ToolOptions& options) {
    // Output goes to files in memory, read once the child has ended; the input fits the
    // pipe, so it is there, with its end, before the child starts.
    const int out = memfd_create("out", MFD_CLOEXEC), err = memfd_create("err", MFD_CLOEXEC);
    int in[2];
    if (out < 0 || err < 0 || pipe2(in, O_CLOEXEC) ||
        write(in[1], options.input.data(), options.input.size()) != ssize_t(options.input.size()))
        return {};
    close(in[1]);
    const pid_t pid = fork();
    if (pid == 0) {
        const int o = options.stdoutPath.empty()
                          ? out
                          : ::open(options.stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (o < 0 || dup2(in[0], 0) < 0 || dup2(o, 1) < 0 || dup2(err, 2) < 0)
            _exit(125);
        if (!options.workingDirectory.empty() && chdir(options.workingDirectory.c_str()) != 0)
            _exit(126);
        if (options.addressSpace) {
            const rlimit limit{*options.addressSpace, *options.addressSpace};
            setrlimit(RLIMIT_AS, &limit);
        }
        if (options.fileSize) {
            const rlimit limit{*options.fileSize, *options.fileSize};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        execTool(args);
    }
    close(in[0]);
    ToolRun run;
    finish(pid, run);
    run.out = contents(out);
    run.err = contents(err);
    return run;
}

ToolRun runAdxtoolOnTerminal(const std::vector<std::string>& args, const std::string& prompt,
                             const std::string& answer) {
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid < 0)
        return {};
    if (pid == 0)
        execTool(args);

    // The answer is typed once the prompt shows. Reading fails (EIO) once the child has
    // closed the terminal, at the latest when its alarm ends it.
    ToolRun run;
    bool answered = false;
    char buffer[4096];
    for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0;) {
        run.out.append(buffer, size_t(n));
        if (!answered && run.out.find(prompt) != std::string::npos)
            answered = write(master, answer.data(), answer.size()) == ssize_t(answer.size());
    }
    close(master);
    finish(pid, run);
    return run;
}

bool sanitizedBuild() {
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#endif
#endif
    return false;
}

} // namespace pdt::test
