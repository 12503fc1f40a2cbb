// Command lines adxtool refuses, its help, and output it cannot write, seen from outside.

#include "cli/cli_fixture.h"

namespace pdt::test {
namespace {

class Usage : public CliTest {};

TEST_F(Usage, ErrorsExitTwoWithOneLineAndTheUsage) {
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
        {"--help", "list"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        const auto r = run(args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.out, "");
        const auto lines = r.errLines();
        ASSERT_GE(lines.size(), 2u) << r.err;
        EXPECT_TRUE(lines[0].starts_with("adxtool: ")) << lines[0];
        EXPECT_EQ(lines[1], "usage:");
    }
}

TEST_F(Usage, HelpGoesToStandardOutputAndAnOutputThatCannotBeWrittenIsAFailure) {
    const auto r = run({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    for (const std::string command : {"list", "extract", "pack", "pieces", "verify"})
        EXPECT_NE(r.out.find("adxtool " + command), std::string::npos) << command;

    ToolOptions full;
    full.stdoutPath = "/dev/full";
    for (const auto& args : {std::vector<std::string>{"pieces", "640x480", "--json"}, {"--help"}})
        expectOneLineFailure(run(args, {}, full), 1);
}

} // namespace
} // namespace pdt::test
