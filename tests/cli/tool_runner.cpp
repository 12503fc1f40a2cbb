#include "cli/tool_runner.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace pdt::test {

namespace {

std::vector<std::string> childEnvironment() {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        if (entry.starts_with("DISPLAY=") || entry.starts_with("WAYLAND_DISPLAY=") ||
            entry.starts_with("QT_QPA_PLATFORM="))
            continue;
        env.push_back(entry);
    }
    return env;
}

[[noreturn]] void execTool(const std::vector<std::string>& args,
                           const std::vector<std::string>& env) {
    std::vector<char*> argv;
    std::string program = ADXTOOL_PATH;
    argv.push_back(program.data());
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const auto& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    execve(program.c_str(), argv.data(), envp.data());
    _exit(127);
}

void finish(pid_t pid, ToolRun& run) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) {
        run.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        run.signal = WTERMSIG(status);
    }
}

} // namespace

std::vector<std::string> ToolRun::errLines() const {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < err.size()) {
        const auto nl = err.find('\n', start);
        lines.push_back(err.substr(start, nl == std::string::npos ? nl : nl - start));
        if (nl == std::string::npos)
            break;
        start = nl + 1;
    }
    return lines;
}

ToolRun runAdxtool(const std::vector<std::string>& args, const ToolOptions& options) {
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) || pipe2(out, O_CLOEXEC) || pipe2(err, O_CLOEXEC))
        return {};
    const auto env = childEnvironment();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(in[0], 0);
        if (options.stdoutPath.empty()) {
            dup2(out[1], 1);
        } else {
            const int fd = ::open(options.stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0)
                _exit(125);
            dup2(fd, 1);
        }
        dup2(err[1], 2);
        if (!options.workingDirectory.empty() && chdir(options.workingDirectory.c_str()) != 0)
            _exit(126);
        if (options.addressSpace) {
            const rlimit limit{*options.addressSpace, *options.addressSpace};
            setrlimit(RLIMIT_AS, &limit);
        }
        execTool(args, env);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);

    ToolRun run;
    size_t written = 0;
    if (options.input.empty())
        close(in[1]);
    pollfd fds[3] = {
        {out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {options.input.empty() ? -1 : in[1], POLLOUT, 0}};
    int open = 2;
    char buffer[65536];
    while (open > 0) {
        if (poll(fds, 3, -1) < 0 && errno != EINTR)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !fds[i].revents)
                continue;
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                (i == 0 ? run.out : run.err).append(buffer, size_t(n));
            } else if (n == 0 || errno != EINTR) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
        if (fds[2].fd >= 0 && fds[2].revents) {
            const ssize_t n =
                write(in[1], options.input.data() + written, options.input.size() - written);
            if (n > 0)
                written += size_t(n);
            if (n < 0 || written == options.input.size()) {
                close(in[1]);
                fds[2].fd = -1;
            }
        }
    }
    if (fds[2].fd >= 0)
        close(in[1]);
    finish(pid, run);
    return run;
}

ToolRun runAdxtoolOnTerminal(const std::vector<std::string>& args, const std::string& prompt,
                             const std::string& answer) {
    const auto env = childEnvironment();
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid < 0)
        return {};
    if (pid == 0)
        execTool(args, env);

    ToolRun run;
    bool answered = false;
    char buffer[4096];
    for (;;) {
        pollfd fd{master, POLLIN, 0};
        // A prompt that never comes must not hang the test.
        if (poll(&fd, 1, 20000) <= 0)
            break;
        const ssize_t n = read(master, buffer, sizeof buffer);
        if (n <= 0)
            break; // EIO once the child has closed the terminal
        run.out.append(buffer, size_t(n));
        if (!answered && run.out.find(prompt) != std::string::npos) {
            answered = true;
            if (write(master, answer.data(), answer.size()) < 0)
                break;
        }
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
