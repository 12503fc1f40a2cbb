#pragma once
// Where a command prints: its results to `out`, its one-line failure to `err`.

#include <cstdio>
#include <string>
#include <string_view>

namespace pdt::cli {

struct Console {
    std::FILE* out = stdout;
    std::FILE* err = stderr;

    void print(std::string_view text) const;
    // "adxtool: " and the message on one line, whatever it holds.
    void error(std::string_view message) const;
};

// The text with every control character (line breaks included) shown as '?', so that a
// name taken from a file or the command line cannot break a message into several lines.
std::string OneLine(std::string_view text);

// A message of several lines (the engine's texts) as one: its lines joined by a space.
std::string MessageLine(std::string_view text);

} // namespace pdt::cli
