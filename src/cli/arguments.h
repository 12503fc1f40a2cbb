#pragma once
// The command line of adxtool: a command word, then its operands and options in any
// order. Anything the command does not take is a usage error. `help COMMAND` and
// `COMMAND --help` give the command's own help.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace pdt::cli {

enum class Command { Help, Version, List, Extract, Pack, Pieces, Verify, Thumbnail };

inline constexpr int kDefaultThumbnailSize = 256;
inline constexpr int kMaxThumbnailSize = 4096;

struct Arguments {
    Command command = Command::Help;
    std::string_view helpText; // what Help prints
    std::string operand;       // FILE, MANIFEST, or WIDTHxHEIGHT / PICTURE
    bool json = false;
    bool force = false;
    std::optional<std::string> password;
    std::optional<std::string> passwordFile;
    std::optional<std::string> output; // -o, or the PNG file of thumbnail
    int size = kDefaultThumbnailSize;  // --size of thumbnail
    bool convert = false; // pack: pictures in formats the player does not read become JPEGs
    bool upright = false; // pack: JPEGs with an orientation tag are stored turned upright
};

struct UsageError {
    std::string message; // one line
};

// args excludes the program name.
std::variant<Arguments, UsageError> ParseArguments(std::span<const std::string_view> args);

extern const char kUsageText[];

// "adxtool" and the project's version, on one line.
extern const char kVersionText[];

} // namespace pdt::cli
