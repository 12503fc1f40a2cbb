#include "cli/safe_names.h"

#include "puzzle/record.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace pdt::cli {

namespace {

constexpr size_t kMaxNamePart = 200;
constexpr size_t kMaxKeptExtension = 16;

bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char upper(char c) {
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return upper(x) == upper(y); });
}

// Names Windows opens as devices, with any extension and in any case.
bool isReservedDeviceName(std::string_view name) {
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.remove_suffix(1);
    static constexpr std::array<std::string_view, 6> kPlain = {"CON", "PRN",    "AUX",
                                                               "NUL", "CONIN$", "CONOUT$"};
    for (const auto r : kPlain)
        if (equalsIgnoringCase(base, r))
            return true;
    // COM1 to COM9 and LPT1 to LPT9, also with a superscript digit.
    static constexpr std::array<std::string_view, 12> kDigits = {
        "1", "2", "3", "4", "5", "6", "7", "8", "9", "\u00B9", "\u00B2", "\u00B3"};
    for (const std::string_view stem : {"COM", "LPT"}) {
        if (base.size() < 4 || !equalsIgnoringCase(base.substr(0, 3), stem))
            continue;
        for (const auto d : kDigits)
            if (base.substr(3) == d)
                return true;
    }
    return false;
}

// Cuts a UTF-8 text to at most n bytes without splitting a character.
std::string_view cutUtf8(std::string_view s, size_t n) {
    if (s.size() <= n)
        return s;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80)
        --n;
    return s.substr(0, n);
}

} // namespace

std::string SafeNamePart(std::string_view storedPath) {
    std::string_view last = storedPath;
    if (const auto sep = last.find_last_of("\\/"); sep != std::string_view::npos)
        last = last.substr(sep + 1);
    if (last.size() >= 2 && isAsciiLetter(last[0]) && last[1] == ':')
        last = last.substr(2); // "C:name", a drive-relative path

    std::string name;
    name.reserve(last.size());
    for (size_t i = 0; i < last.size(); ++i) {
        const auto u = static_cast<unsigned char>(last[i]);
        // C1 controls, U+0080 to U+009F, are C2 80 to C2 9F in UTF-8.
        if (u == 0xC2 && i + 1 < last.size()) {
            const auto next = static_cast<unsigned char>(last[i + 1]);
            if (next >= 0x80 && next <= 0x9F) {
                name += '_';
                ++i;
                continue;
            }
        }
        const bool forbidden = u < 0x20 || u == 0x7F ||
                               std::string_view("<>:\"|?*").find(char(u)) != std::string_view::npos;
        if (forbidden) {
            name += '_';
        } else if (u == '.' && !name.empty() && name.back() == '.') {
            continue; // no ".." anywhere
        } else {
            name += char(u);
        }
    }

    const auto isTrimmed = [](char c) { return c == '.' || c == ' '; };
    const auto first = std::find_if_not(name.begin(), name.end(), isTrimmed);
    name.erase(name.begin(), first);
    while (!name.empty() && isTrimmed(name.back()))
        name.pop_back();

    if (name.size() > kMaxNamePart) {
        // Keep a short extension; shorten the stem.
        std::string_view extension;
        if (const auto dot = name.rfind('.');
            dot != std::string::npos && name.size() - dot <= kMaxKeptExtension)
            extension = std::string_view(name).substr(dot);
        const std::string_view stem =
            std::string_view(name).substr(0, name.size() - extension.size());
        name = std::string(cutUtf8(stem, kMaxNamePart - extension.size())) + std::string(extension);
    }

    if (isReservedDeviceName(name))
        name.insert(name.begin(), '_');
    return name;
}

std::string_view SniffedExtension(std::span<const std::uint8_t> head) {
    const auto startsWith = [&](std::initializer_list<std::uint8_t> magic) {
        return head.size() >= magic.size() && std::equal(magic.begin(), magic.end(), head.begin());
    };
    if (startsWith({0xFF, 0xD8, 0xFF}))
        return ".jpg";
    if (startsWith({'B', 'M'}))
        return ".bmp";
    if (startsWith({'G', 'I', 'F', '8'}))
        return ".gif";
    if (startsWith({0x89, 'P', 'N', 'G'}))
        return ".png";
    return ".bin";
}

std::string ExtractedName(int patternNumber, int slot, std::string_view storedPath,
                          std::span<const std::uint8_t> head) {
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "%03d-%s", patternNumber,
                  slot == puzzle::kPuzzleSlot ? "puzzle" : "finished");
    const std::string name = SafeNamePart(storedPath);
    if (name.empty())
        return prefix + std::string(SniffedExtension(head));
    return prefix + ("-" + name);
}

} // namespace pdt::cli
