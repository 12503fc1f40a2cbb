// What the parser accepts; what it refuses is tested from outside (usage_test.cpp).
#include "cli/arguments.h"

#include <gtest/gtest.h>

#include <vector>

namespace pdt::cli {
namespace {

Arguments parsed(std::vector<std::string_view> args) {
    const auto r = ParseArguments(args);
    EXPECT_TRUE(std::holds_alternative<Arguments>(r)) << std::get<UsageError>(r).message;
    return std::holds_alternative<Arguments>(r) ? std::get<Arguments>(r) : Arguments{};
}

TEST(ParseArguments, TakesOptionsBeforeAndAfterTheOperandInEveryForm) {
    const auto a = parsed({"extract", "--password=ab c", "in.adx", "-oout", "--force"});
    EXPECT_EQ(a.command, Command::Extract);
    EXPECT_EQ(a.operand, "in.adx");
    EXPECT_EQ(a.password, "ab c");
    EXPECT_EQ(a.output, "out");
    EXPECT_TRUE(a.force);

    const auto b = parsed({"pack", "-o", "x.ADX", "--", "-odd.json"});
    EXPECT_EQ(b.operand, "-odd.json");
    EXPECT_EQ(b.output, "x.ADX");

    // A value that looks like an option is still the value.
    const auto c = parsed({"list", "f", "--password", "--json"});
    EXPECT_EQ(c.password, "--json");
    EXPECT_FALSE(c.json);

    EXPECT_EQ(parsed({"--help"}).command, Command::Help);
}

} // namespace
} // namespace pdt::cli
