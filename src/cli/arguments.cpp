#include "cli/arguments.h"

#include <array>
#include <optional>

namespace pdt::cli {

const char kUsageText[] = R"(usage:
  adxtool list FILE [--json] [--password PW | --password-file F]
  adxtool extract FILE [-o DIR] [--force] [--password PW | --password-file F]
  adxtool pack MANIFEST -o OUT [--force] [--convert] [--upright]
  adxtool pieces (WIDTHxHEIGHT | PICTURE) [--json]
  adxtool verify FILE [--password PW | --password-file F]
  adxtool --help
exit status: 0 success, 1 failed or damaged file, 2 usage error, 3 password needed or wrong
)";

namespace {

enum Option : unsigned {
    kJson = 1,
    kForce = 2,
    kPassword = 4,
    kPasswordFile = 8,
    kOutput = 16,
    kConvert = 32,
    kUpright = 64,
};

struct CommandInfo {
    std::string_view name;
    Command command;
    unsigned options;
    bool outputRequired;
};

constexpr std::array<CommandInfo, 5> kCommands{{
    {"list", Command::List, kJson | kPassword | kPasswordFile, false},
    {"extract", Command::Extract, kOutput | kForce | kPassword | kPasswordFile, false},
    {"pack", Command::Pack, kOutput | kForce | kConvert | kUpright, true},
    {"pieces", Command::Pieces, kJson, false},
    {"verify", Command::Verify, kPassword | kPasswordFile, false},
}};

struct OptionInfo {
    std::string_view longName;
    std::string_view shortName;
    Option option;
    bool takesValue;
};

constexpr std::array<OptionInfo, 7> kOptions{{
    {"--json", "", kJson, false},
    {"--force", "-f", kForce, false},
    {"--password", "", kPassword, true},
    {"--password-file", "", kPasswordFile, true},
    {"--output", "-o", kOutput, true},
    {"--convert", "", kConvert, false},
    {"--upright", "", kUpright, false},
}};

UsageError usage(std::string message) {
    return {std::move(message)};
}

// 'name', built by appending: GCC 12 warns falsely (-Wrestrict) on "literal" + std::string.
std::string quoted(std::string_view name) {
    std::string q(1, '\'');
    return q.append(name).append(1, '\'');
}

void set(Arguments& result, Option option, std::string value) {
    switch (option) {
    case kJson:
        result.json = true;
        break;
    case kForce:
        result.force = true;
        break;
    case kPassword:
        result.password = std::move(value);
        break;
    case kPasswordFile:
        result.passwordFile = std::move(value);
        break;
    case kOutput:
        result.output = std::move(value);
        break;
    case kConvert:
        result.convert = true;
        break;
    case kUpright:
        result.upright = true;
        break;
    }
}

// One option word, and its value (in the same word or the next): set in result.
std::optional<UsageError> takeOption(const CommandInfo& command,
                                     std::span<const std::string_view> args, size_t& i,
                                     unsigned& seen, Arguments& result) {
    const std::string_view arg = args[i];
    // --name=value and -oVALUE carry their value in the same word.
    std::string_view name = arg;
    std::optional<std::string_view> inlineValue;
    if (arg.starts_with("--")) {
        if (const auto eq = arg.find('='); eq != std::string_view::npos) {
            name = arg.substr(0, eq);
            inlineValue = arg.substr(eq + 1);
        }
    } else if (arg.size() > 2) {
        name = arg.substr(0, 2);
        inlineValue = arg.substr(2);
    }

    const OptionInfo* option = nullptr;
    for (const auto& o : kOptions)
        if (name == o.longName || (!o.shortName.empty() && name == o.shortName))
            option = &o;
    if (!option || !(command.options & option->option))
        return usage(quoted(name) + " is not an option of " + std::string(command.name));
    if (seen & option->option)
        return usage(quoted(name) + " given twice");
    seen |= option->option;

    std::string value;
    if (option->takesValue) {
        if (inlineValue) {
            value = std::string(*inlineValue);
        } else if (i + 1 < args.size()) {
            value = std::string(args[++i]);
        } else {
            return usage(quoted(name) + " needs a value");
        }
        // An empty password is one: that of a file without a password.
        if (value.empty() && option->option != kPassword)
            return usage(quoted(name) + " needs a value");
    } else if (inlineValue) {
        return usage(quoted(name) + " takes no value");
    }
    set(result, option->option, std::move(value));
    return std::nullopt;
}

} // namespace

std::variant<Arguments, UsageError> ParseArguments(std::span<const std::string_view> args) {
    Arguments result;
    if (args.empty())
        return usage("no command given");
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        if (args.size() > 1)
            return usage("--help takes nothing more");
        return result;
    }

    const CommandInfo* command = nullptr;
    for (const auto& c : kCommands)
        if (c.name == args[0])
            command = &c;
    if (!command)
        return usage("unknown command '" + std::string(args[0]) + "'");
    result.command = command->command;

    unsigned seen = 0;
    bool haveOperand = false;
    bool optionsEnded = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        const bool looksLikeOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (!looksLikeOption) {
            if (haveOperand)
                return usage("unexpected argument '" + std::string(arg) + "'");
            result.operand = std::string(arg);
            haveOperand = true;
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (auto error = takeOption(*command, args, i, seen, result)) {
            return *std::move(error);
        }
    }

    if (!haveOperand)
        return usage(std::string(command->name) + " needs " +
                     (command->command == Command::Pack     ? "a manifest"
                      : command->command == Command::Pieces ? "a size or a picture"
                                                            : "a puzzle data file"));
    if (command->outputRequired && !result.output)
        return usage(std::string(command->name) + " needs -o OUT");
    if (result.password && result.passwordFile)
        return usage("give either --password or --password-file, not both");
    return result;
}

} // namespace pdt::cli
