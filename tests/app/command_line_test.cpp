#include "app/command_line.h"

#include <gtest/gtest.h>

using namespace pdt::app;

// The hidden word, in any case and quoted or not, as the first argument selects the second
// template; anything else the first.
TEST(CommandLine, TheHiddenWordAsFirstArgumentSelectsTheSecondTemplate) {
    const std::pair<const char*, DialogVariant> cases[] = {
        {"pz.exe", DialogVariant::PZ_BIND},
        {"pz.exe TEAPOT", DialogVariant::PZ_BIND2},
        {"pz.exe teapot", DialogVariant::PZ_BIND2},
        {"pz.exe TeaPot", DialogVariant::PZ_BIND2},
        {"pz.exe \"TEAPOT\"", DialogVariant::PZ_BIND2},
        {"pz.exe    TEAPOT   ", DialogVariant::PZ_BIND2},
        {"\"C:\\Program Files\\Puzzle Tool\\pz.exe\" TEAPOT", DialogVariant::PZ_BIND2},
        {"\"C:\\Program Files\\pz.exe\"TEAPOT", DialogVariant::PZ_BIND2},
        {"pz.exe other TEAPOT", DialogVariant::PZ_BIND},
        {"pz.exe TEA\"\"POT", DialogVariant::PZ_BIND},
        {"pz.exe TEAPOTS", DialogVariant::PZ_BIND},
        {"pz.exe TEAPO", DialogVariant::PZ_BIND},
        {"pz.exe ", DialogVariant::PZ_BIND},
        {"", DialogVariant::PZ_BIND},
    };
    for (const auto& [raw, variant] : cases)
        EXPECT_EQ(ChooseDialogVariant(ParseCommandLine(raw).firstArgument()), variant) << raw;
    EXPECT_EQ(ChooseDialogVariant(nullptr), DialogVariant::PZ_BIND);
}

TEST(CommandLine, SplitsQuotedAndUnquotedArguments) {
    const CommandLine c = ParseCommandLine("\"C:\\My Tools\\pz.exe\" a \"b c\" d\"e f\"g");
    EXPECT_EQ(c.programPath, "C:\\My Tools\\pz.exe");
    ASSERT_EQ(c.arguments.size(), 3u);
    EXPECT_EQ(c.arguments[0], "a");
    EXPECT_EQ(c.arguments[1], "b c");
    EXPECT_EQ(c.arguments[2], "d\"e f\"g"); // quotes inside an argument stay
}

TEST(CommandLine, NeverHoldsMoreThanItsBufferAndTable) {
    std::string many = "pz.exe";
    for (int i = 0; i < 50; ++i)
        many += " a" + std::to_string(i);
    const CommandLine c = ParseCommandLine(many);
    EXPECT_EQ(c.arguments.size(), kMaxArguments);
    EXPECT_EQ(c.arguments[19], "a19");

    // Path and arguments share 520 bytes including their terminators.
    const std::string longArg(600, 'x');
    const CommandLine big = ParseCommandLine("pz.exe TEAPOT " + longArg + " y");
    ASSERT_EQ(big.arguments.size(), 1u); // the long one and everything after it dropped
    EXPECT_EQ(big.arguments[0], "TEAPOT");

    const CommandLine longPath = ParseCommandLine(std::string(700, 'p') + " TEAPOT");
    EXPECT_EQ(longPath.programPath.size(), kCommandLineBufferSize - 1);
    EXPECT_TRUE(longPath.arguments.empty()); // no room left after the cut path
    EXPECT_EQ(ChooseDialogVariant(longPath.firstArgument()), DialogVariant::PZ_BIND);

    size_t total = big.programPath.size() + 1;
    for (const auto& a : big.arguments)
        total += a.size() + 1;
    EXPECT_LE(total, kCommandLineBufferSize);
}
