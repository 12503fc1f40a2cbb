#include "cli/arguments.h"

#include <array>
#include <charconv>

namespace pdt::cli {

const char kUsageText[] = R"(usage:
  adxtool list FILE [--json] [--password PW | --password-file F]
  adxtool extract FILE [-o DIR] [--force] [--password PW | --password-file F]
  adxtool pack MANIFEST -o OUT [--force] [--convert] [--upright]
  adxtool pieces (WIDTHxHEIGHT | PICTURE) [--json]
  adxtool verify FILE [--password PW | --password-file F]
  adxtool thumbnail FILE OUT.png [--size N] [--password PW | --password-file F]
  adxtool help [COMMAND] | COMMAND --help | --version
exit status: 0 success, 1 failed or damaged file, 2 usage error, 3 password needed or wrong
)";

const char kVersionText[] = "adxtool " PDT_VERSION "\n";

namespace {

enum Option : unsigned {
    kJson = 1,
    kForce = 2,
    kPassword = 4,
    kPasswordFile = 8,
    kOutput = 16,
    kSize = 32,
    kConvert = 64,
    kUpright = 128,
};

constexpr char kListHelp[] =
    R"(usage: adxtool list FILE [--json] [--password PW | --password-file F]

Shows the patterns of FILE: pictures, piece counts, rotation flags and comments.
)";

constexpr char kExtractHelp[] =
    R"(usage: adxtool extract FILE [-o DIR] [--force] [--password PW | --password-file F]

Writes every stored picture of FILE into DIR (default: the current folder), and
beside them manifest.json, from which pack builds the same file again. Without
--force no existing file is replaced.
)";

// The manifest as ParseManifest reads it; README.md shows the same text.
constexpr char kPackHelp[] =
    R"(usage: adxtool pack MANIFEST -o OUT [--force] [--convert] [--upright]

Writes the puzzle data file OUT (".ADX" is added unless OUT ends so) from
MANIFEST, a JSON object like the manifest.json that extract writes. Without
--force an existing OUT is never replaced. What pack writes is what the editor
saves for the same patterns. Pictures are taken by the editor's rule: one that
decodes whole is taken whatever the decoder reported, one whose pixels the
decoder made up is refused. --convert stores a PNG, WebP or TIFF picture as the
JPEG the editor converts it to, recorded next to the original under the JPEG's
name (without it such a picture is refused); --upright stores a photo whose
EXIF orientation is not normal turned upright, as the editor does.

The manifest's fields (others are refused):
  password       string   default ""     the password, without spaces
  vendorInfo     boolean  default false  the vendor-information flag
  patterns       array    required       1 to 200 patterns, in their order
The fields of each pattern, which has a puzzle picture, a finished one or both:
  puzzle         string   default none   the puzzle picture file (BMP, JPEG
                                         or GIF), from the manifest's folder
  finished       string   default none   the finished picture file, likewise
  puzzlePath     string   default: the picture file's absolute path
                                         the path stored for the puzzle picture
  finishedPath   string   default: the picture file's absolute path
                                         the path stored for the finished one
  pieceCount     integer  default: the smallest count the puzzle picture offers
                                         a count it offers (see adxtool pieces)
  rotation       boolean  default false  pieces may be rotated; 0 or 1 as well
  clearComment   string   default ""     the comment once the puzzle is solved
  finishComment  string   default ""     the comment after the finished picture
Texts are UTF-8, stored in code page 932: there a password holds at most 16
bytes, a path or a comment at most 256.
)";

constexpr char kPiecesHelp[] = R"(usage: adxtool pieces (WIDTHxHEIGHT | PICTURE) [--json]

Shows the piece counts that a puzzle picture of the given size, or the given
picture file, admits.
)";

constexpr char kVerifyHelp[] = R"(usage: adxtool verify FILE [--password PW | --password-file F]

Reads the whole of FILE and reports every problem: damage, stored offsets,
pictures that do not decode, and piece counts their puzzle pictures do not
offer.
)";

constexpr char kThumbnailHelp[] =
    R"(usage: adxtool thumbnail FILE OUT.png [--size N] [--password PW | --password-file F]

Writes to OUT.png, replacing it, the puzzle picture of FILE's first pattern (or
its finished picture when it has none), scaled to at most N x N pixels (default
256, at most 4096). A damaged file gives no picture. It never asks for a
password: file managers run it through the installed thumbnailer, with no one
to answer.
)";

struct CommandInfo {
    std::string_view name;
    Command command;
    unsigned options;
    int operands;
    bool outputRequired;
    std::string_view help;
};

constexpr std::array<CommandInfo, 6> kCommands{{
    {"list", Command::List, kJson | kPassword | kPasswordFile, 1, false, kListHelp},
    {"extract", Command::Extract, kOutput | kForce | kPassword | kPasswordFile, 1, false,
     kExtractHelp},
    {"pack", Command::Pack, kOutput | kForce | kConvert | kUpright, 1, true, kPackHelp},
    {"pieces", Command::Pieces, kJson, 1, false, kPiecesHelp},
    {"verify", Command::Verify, kPassword | kPasswordFile, 1, false, kVerifyHelp},
    {"thumbnail", Command::Thumbnail, kSize | kPassword | kPasswordFile, 2, false, kThumbnailHelp},
}};

struct OptionInfo {
    std::string_view longName;
    std::string_view shortName;
    Option option;
    bool takesValue;
};

constexpr std::array<OptionInfo, 8> kOptions{{
    {"--json", "", kJson, false},
    {"--force", "-f", kForce, false},
    {"--password", "", kPassword, true},
    {"--password-file", "", kPasswordFile, true},
    {"--output", "-o", kOutput, true},
    {"--size", "", kSize, true},
    {"--convert", "", kConvert, false},
    {"--upright", "", kUpright, false},
}};

UsageError usage(std::string message) {
    return {std::move(message)};
}

// "'NAME' WHAT", built up in place: GCC 12 sees overlapping copies where literals and
// strings are added in one expression here.
UsageError aboutOption(std::string_view name, std::string_view what) {
    std::string message = "'";
    message += name;
    message += "' ";
    message += what;
    return {std::move(message)};
}

bool isHelp(std::string_view arg) {
    return arg == "--help" || arg == "-h";
}

const CommandInfo* findCommand(std::string_view word) {
    for (const auto& c : kCommands)
        if (c.name == word)
            return &c;
    return nullptr;
}

// "--version", "help [COMMAND]" and "--help [COMMAND]": what they print, or nothing when the
// arguments are a command.
std::optional<std::variant<Arguments, UsageError>>
helpOrVersion(std::span<const std::string_view> args) {
    Arguments result;
    if (args[0] == "--version") {
        if (args.size() > 1)
            return usage("--version takes nothing more");
        result.command = Command::Version;
        return result;
    }
    if (!isHelp(args[0]) && args[0] != "help")
        return std::nullopt;
    if (args.size() > 2)
        return usage("help takes at most the name of a command");
    if (args.size() == 1) {
        result.helpText = kUsageText;
        return result;
    }
    const CommandInfo* command = findCommand(args[1]);
    if (!command)
        return usage("unknown command '" + std::string(args[1]) + "'");
    result.helpText = command->help;
    return result;
}

std::optional<UsageError> applyOption(Option option, const std::string& value, Arguments& result) {
    switch (option) {
    case kJson:
        result.json = true;
        break;
    case kForce:
        result.force = true;
        break;
    case kPassword:
        result.password = value;
        break;
    case kPasswordFile:
        result.passwordFile = value;
        break;
    case kOutput:
        result.output = value;
        break;
    case kConvert:
        result.convert = true;
        break;
    case kUpright:
        result.upright = true;
        break;
    case kSize: {
        const auto [end, error] =
            std::from_chars(value.data(), value.data() + value.size(), result.size);
        if (error != std::errc() || end != value.data() + value.size() || result.size < 1 ||
            result.size > kMaxThumbnailSize)
            return usage("'--size' takes a number of pixels from 1 to " +
                         std::to_string(kMaxThumbnailSize));
        break;
    }
    }
    return std::nullopt;
}

// The option at args[i] (and its value, which may take args[i + 1]).
std::optional<UsageError> takeOption(std::span<const std::string_view> args, size_t& i,
                                     const CommandInfo& command, unsigned& seen,
                                     Arguments& result) {
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
        return aboutOption(name, "is not an option of " + std::string(command.name));
    if (seen & option->option)
        return aboutOption(name, "given twice");
    seen |= option->option;

    std::string value;
    if (option->takesValue) {
        if (inlineValue)
            value = std::string(*inlineValue);
        else if (i + 1 < args.size())
            value = std::string(args[++i]);
        else
            return aboutOption(name, "needs a value");
        // An empty password is one: that of a file without a password.
        if (value.empty() && option->option != kPassword)
            return aboutOption(name, "needs a value");
    } else if (inlineValue) {
        return aboutOption(name, "takes no value");
    }
    return applyOption(option->option, value, result);
}

// What the command still lacks once every argument is read.
std::optional<UsageError> missing(const CommandInfo& command, int operands,
                                  const Arguments& result) {
    if (operands == 0)
        return usage(std::string(command.name) + " needs " +
                     (command.command == Command::Pack     ? "a manifest"
                      : command.command == Command::Pieces ? "a size or a picture"
                                                           : "a puzzle data file"));
    if (operands < command.operands)
        return usage(std::string(command.name) + " needs the PNG file to write");
    if (command.outputRequired && !result.output)
        return usage(std::string(command.name) + " needs -o OUT");
    if (result.password && result.passwordFile)
        return usage("give either --password or --password-file, not both");
    return std::nullopt;
}

} // namespace

std::variant<Arguments, UsageError> ParseArguments(std::span<const std::string_view> args) {
    if (args.empty())
        return usage("no command given");
    if (auto answer = helpOrVersion(args))
        return std::move(*answer);
    const CommandInfo* command = findCommand(args[0]);
    if (!command)
        return usage("unknown command '" + std::string(args[0]) + "'");

    Arguments result;
    result.command = command->command;
    unsigned seen = 0;
    int operands = 0;
    bool optionsEnded = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (optionsEnded || arg.size() <= 1 || arg[0] != '-') {
            if (operands == command->operands)
                return usage("unexpected argument '" + std::string(arg) + "'");
            (operands++ == 0 ? result.operand : result.output.emplace()) = std::string(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (isHelp(arg)) {
            result.command = Command::Help;
            result.helpText = command->help;
            return result;
        } else if (auto error = takeOption(args, i, *command, seen, result)) {
            return std::move(*error);
        }
    }
    if (auto error = missing(*command, operands, result))
        return std::move(*error);
    return result;
}

} // namespace pdt::cli
