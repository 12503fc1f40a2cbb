// The password a protected file needs, through every way adxtool takes it.

#include "cli/cli_fixture.h"

#include <pty.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

namespace pdt::test {
namespace {

// Runs adxtool on a pseudo terminal and types `answer` once `prompt` shows; `out` is all the
// terminal showed. A tool that blocks is ended after two minutes (the alarm survives exec).
// Nothing, with errno set, where no pseudo terminal can be had (no /dev/pts in a container).
std::optional<ToolRun> runOnTerminal(const std::vector<std::string>& args,
                                     const std::string& prompt, const std::string& answer) {
    int terminal = -1;
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid < 0)
        return std::nullopt;
    if (pid == 0) {
        std::vector<char*> argv = {const_cast<char*>(ADXTOOL_PATH)};
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        alarm(120);
        execv(ADXTOOL_PATH, argv.data());
        _exit(127);
    }
    // Reading fails (EIO) once the tool has closed the terminal.
    ToolRun run;
    bool answered = false;
    char buffer[4096];
    for (ssize_t n; (n = read(terminal, buffer, sizeof buffer)) > 0;) {
        run.out.append(buffer, size_t(n));
        if (!answered && run.out.find(prompt) != std::string::npos)
            answered = write(terminal, answer.data(), answer.size()) == ssize_t(answer.size());
    }
    close(terminal);
    int status = 0;
    waitpid(pid, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

constexpr char kPassword[] = "ひみつ";
const std::string kSixteen = "パスワード１２３"; // 16 bytes in code page 932

class Password : public CliTest {
  protected:
    void SetUp() override {
        ASSERT_EQ(cp932(kSixteen).size(), 16u);
        for (const auto& [name, password] : {std::pair{"locked.adx", cp932(kPassword)},
                                             {"long.adx", cp932(kSixteen)},
                                             {"open.adx", std::string()},
                                             {"-open.adx", std::string()}})
            write(name, buildFile({{recordWith("a.jpg", ""), pictureBytes(50), {}}}, password));
        write("crlf.txt", std::string(kPassword) + "\r\nsecond line\n");
        write("bare.txt", kPassword);
        write("wrong.txt", "\n" + std::string(kPassword) + "\n");
    }
    // Nothing the tool shows may hold the password, in either encoding.
    static void expectNotShown(const ToolRun& r) {
        for (const std::string& secret : {std::string(kPassword), cp932(kPassword)}) {
            EXPECT_EQ(r.out.find(secret), std::string::npos) << r.out;
            EXPECT_EQ(r.err.find(secret), std::string::npos) << r.err;
        }
    }
};

TEST_F(Password, IsComparedWholeInCodePage932AndNeverShown) {
    const std::string pw = kPassword;
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string reason; // in the one line on standard error
        std::string input = "";
    } cases[] = {
        {{"extract", "locked.adx"}, 3, "password"},
        // Standard input is a pipe holding the password: it is not read as an answer.
        {{"list", "locked.adx"}, 3, "password", pw + "\n"},
        {{"list", "locked.adx", "--password", "ひみ"}, 3, "wrong password"},
        {{"list", "locked.adx", "--password", "ひみつ "}, 3, "wrong password"},
        {{"list", "locked.adx", "--password", "ひみつé"}, 3, "wrong password"},
        {{"list", "locked.adx", "--password", "--json"}, 3, "wrong password"}, // the value
        {{"list", "long.adx", "--password", "パスワード１２"}, 3, "wrong password"},
        {{"list", "locked.adx", "--password-file", "wrong.txt"}, 3, "wrong password"},
        {{"list", "locked.adx", "--password-file", "missing.txt"}, 1, "missing.txt"},
        {{"list", "locked.adx", "--password-file", "/dev/null"}, 1, "not a regular file or a pipe"},
        {{"list", "locked.adx", "--json", "--password", pw}, 0, "\"hasPassword\": true"},
        {{"list", "locked.adx", "--password=" + pw}, 0, ""},
        {{"verify", "locked.adx", "--password", pw}, 1, "1 problem"}, // not a picture: opened
        {{"list", "locked.adx", "--password-file", "crlf.txt"}, 0, ""},
        {{"list", "locked.adx", "--password-file", "bare.txt"}, 0, ""},
        {{"list", "locked.adx", "--password-file", "/dev/stdin"}, 0, "", pw + "\n"}, // a pipe
        {{"list", "long.adx", "--password", kSixteen}, 0, ""},
        {{"list", "open.adx"}, 0, ""},
        {{"list", "open.adx", "--password", "anything"}, 0, ""},
        {{"list", "--", "-open.adx"}, 0, ""}, // "--" ends the options
        // An empty password, given explicitly, is that of a file without one.
        {{"list", "open.adx", "--password", ""}, 0, ""},
        {{"list", "locked.adx", "--password", ""}, 3, "wrong password"},
        {{"list", "locked.adx", "--password="}, 3, "wrong password"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args.back());
        const auto r = run(c.args, c.input);
        expectNotShown(r);
        if (c.exitCode == 0) {
            EXPECT_EQ(r.exitCode, 0) << r.err;
            EXPECT_NE(r.out.find(c.reason), std::string::npos) << r.out;
            continue;
        }
        expectOneLineFailure(r, c.exitCode);
        EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
        if (c.args.size() == 4 && c.args[2] == "--password" && !c.args[3].empty()) {
            EXPECT_EQ(r.err.find(c.args[3]), std::string::npos) << "the attempt is not shown";
        }
        EXPECT_TRUE(c.exitCode != 3 || r.out.empty()) << r.out;
    }
    EXPECT_FALSE(has("manifest.json"));
}

TEST_F(Password, IsAskedForOnATerminalWithoutEcho) {
    const auto right = runOnTerminal({"list", path("locked.adx"), "--json"}, "Password for",
                                     std::string(kPassword) + "\n");
    if (!right)
        GTEST_SKIP() << "no pseudo terminal to be had here: " << std::strerror(errno);
    EXPECT_EQ(right->exitCode, 0) << right->out;
    EXPECT_NE(right->out.find("\"hasPassword\": true"), std::string::npos) << right->out;
    expectNotShown(*right);
    // A file manager's thumbnailer may inherit a terminal; it must not wait on it.
    const auto thumbnail = runOnTerminal({"thumbnail", path("locked.adx"), path("t.png")},
                                         "Password for", std::string(kPassword) + "\n");
    EXPECT_EQ(thumbnail->exitCode, 3) << thumbnail->out;
}

} // namespace
} // namespace pdt::test
