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

// The forms an option takes before and after the operand are used by the command tests;
// here what they do not reach: "--" ends the options, and a value that looks like an
// option is still the value.
TEST(ParseArguments, TakesWhatFollowsAnOptionAsItsValue) {
    const auto a = parsed({"pack", "-o", "x.ADX", "--", "-odd.json"});
    EXPECT_EQ(a.operand, "-odd.json");
    EXPECT_EQ(a.output, "x.ADX");

    const auto b = parsed({"list", "f", "--password", "--json"});
    EXPECT_EQ(b.password, "--json");
    EXPECT_FALSE(b.json);
}

} // namespace
} // namespace pdt::cli
