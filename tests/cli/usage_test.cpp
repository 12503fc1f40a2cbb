// Command lines adxtool refuses, its help, and output it cannot write, seen from outside.

#include "cli/cli_fixture.h"

#include <sys/stat.h>

#include <fstream>
#include <iterator>

namespace pdt::test {
namespace {

class Usage : public CliTest {};

// The usage after the one line of an error is the help, which goes to standard output.
TEST_F(Usage, ErrorsExitTwoWithOneLineAndTheUsage) {
    const auto help = run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.err, "");
    for (const std::string command : {"list", "extract", "pack", "pieces", "verify"})
        EXPECT_NE(help.out.find("\n  adxtool " + command), std::string::npos) << command;

    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate", "f"},
        {"list"},
        {"list", "a.adx", "b.adx"},
        {"list", "a.adx", "--bogus"},
        {"list", "a.adx", "--json=yes"},
        {"list", "a.adx", "--json", "--json"},
        {"list", "a.adx", "--password"},
        {"verify", "a.adx", "--password", "x", "--password-file", "f"},
        {"verify", "a.adx", "--json"},
        {"extract", "a.adx", "-o"},
        {"pack", "manifest.json"},
        {"pack", "manifest.json", "-o", "x", "--password", "p"},
        {"pieces", "99999999999x5"},
        {"thumbnail", "a.adx"},
        {"help", "frobnicate"},
        {"help", "list", "verify"},
        {"--version", "list"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        const auto r = run(args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(r.err.starts_with("adxtool: ")) << r.err;
        EXPECT_EQ(r.err.substr(r.err.find('\n') + 1), help.out);
    }

    // An output that cannot be written is a failure, also for the help.
    struct stat full {};
    if (stat("/dev/full", &full) != 0 || !S_ISCHR(full.st_mode))
        GTEST_SKIP() << "no /dev/full here to write the output to";
    for (const auto& args : {std::vector<std::string>{"pieces", "640x480", "--json"}, {"--help"}})
        expectOneLineFailure(run(args, {}, "exec >/dev/full"), 1);
}

// A command's help is the same asked for either way; that of pack, which describes the
// manifest, is in the README too (indented as a code block there).
TEST_F(Usage, EachCommandHasItsOwnHelp) {
    std::ifstream in(PDT_SOURCE_DIR "/README.md");
    const std::string readme{std::istreambuf_iterator<char>(in), {}};
    for (const std::string command : {"list", "extract", "pack", "pieces", "verify", "thumbnail"}) {
        SCOPED_TRACE(command);
        const auto help = run({"help", command});
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_TRUE(help.out.starts_with("usage: adxtool " + command + " ")) << help.out;
        EXPECT_EQ(run({command, "x.adx", "--help"}).out, help.out);
        if (command != "pack")
            continue;
        std::string block;
        for (size_t at = 0, end; at < help.out.size(); at = end + 1) {
            end = help.out.find('\n', at);
            const auto line = help.out.substr(at, end - at);
            block += (line.empty() ? "" : "    " + line) + "\n";
        }
        EXPECT_NE(readme.find(block), std::string::npos) << "README.md lacks, indented:\n"
                                                         << help.out;
    }
}

} // namespace
} // namespace pdt::test
