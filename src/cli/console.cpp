#include "cli/console.h"

namespace pdt::cli {

void Console::print(std::string_view text) const {
    std::fwrite(text.data(), 1, text.size(), out);
}

void Console::error(std::string_view message) const {
    const std::string line = "adxtool: " + OneLine(message) + "\n";
    std::fwrite(line.data(), 1, line.size(), err);
    std::fflush(err);
}

std::string OneLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        out += (u < 0x20 || u == 0x7F) ? '?' : c;
    }
    return out;
}

std::string MessageLine(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '\n')
            c = ' ';
    return out;
}

} // namespace pdt::cli
