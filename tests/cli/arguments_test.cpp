#include "cli/arguments.h"

#include <gtest/gtest.h>

#include <vector>

namespace pdt::cli {
namespace {

std::variant<Arguments, UsageError> parse(std::vector<std::string_view> args) {
    return ParseArguments(args);
}

TEST(ParseArguments, TakesOptionsBeforeAndAfterTheOperandInEveryForm) {
    const auto a =
        std::get<Arguments>(parse({"extract", "--password=ab c", "in.adx", "-oout", "--force"}));
    EXPECT_EQ(a.command, Command::Extract);
    EXPECT_EQ(a.operand, "in.adx");
    EXPECT_EQ(a.password, "ab c");
    EXPECT_EQ(a.output, "out");
    EXPECT_TRUE(a.force);

    const auto b = std::get<Arguments>(parse({"pack", "-o", "x.ADX", "--", "-odd.json"}));
    EXPECT_EQ(b.operand, "-odd.json");
    EXPECT_EQ(b.output, "x.ADX");

    // A value that looks like an option is still the value.
    const auto c = std::get<Arguments>(parse({"list", "f", "--password", "--json"}));
    EXPECT_EQ(c.password, "--json");
    EXPECT_FALSE(c.json);

    EXPECT_EQ(std::get<Arguments>(parse({"--help"})).command, Command::Help);
}

TEST(ParseArguments, RefusesWhatACommandDoesNotTake) {
    const std::vector<std::vector<std::string_view>> cases = {
        {},
        {"frobnicate", "f"},
        {"list"},
        {"list", "a", "b"},
        {"list", "a", "--bogus"},
        {"list", "a", "--force"},
        {"list", "a", "--json=yes"},
        {"list", "a", "--password"},
        {"list", "a", "--password="},
        {"list", "a", "--password", "x", "--password-file", "f"},
        {"list", "a", "--json", "--json"},
        {"pack", "m.json"},
        {"pack", "m.json", "-o", "x", "--password", "p"},
        {"pieces", "640x480", "-o", "d"},
        {"verify", "f", "--json"},
        {"--help", "list"},
    };
    for (const auto& c : cases) {
        std::string shown;
        for (auto s : c)
            shown += std::string(s) + " ";
        const auto r = parse(c);
        ASSERT_TRUE(std::holds_alternative<UsageError>(r)) << shown;
        const auto& message = std::get<UsageError>(r).message;
        EXPECT_FALSE(message.empty()) << shown;
        EXPECT_EQ(message.find('\n'), std::string::npos) << shown;
    }
}

} // namespace
} // namespace pdt::cli
