#pragma once
// Code page 932 (Shift_JIS with Microsoft's mapping and extensions) <-> UTF-8.
// Every text the puzzle data file stores is in code page 932; everything we show or
// take from the user is UTF-8.

#include <optional>
#include <string>
#include <string_view>

namespace pdt::text {

// The code page 932 bytes of a UTF-8 text, or nothing when the text holds a character
// that code page 932 cannot represent (or is not valid UTF-8). Never substitutes '?'.
std::optional<std::string> toCp932(std::string_view utf8);

// The UTF-8 form of code page 932 bytes. Never fails: every byte sequence that is not
// valid code page 932 becomes U+FFFD.
std::string fromCp932(std::string_view cp932);

// True when the UTF-8 text can be stored in code page 932.
inline bool isCp932Encodable(std::string_view utf8) {
    return toCp932(utf8).has_value();
}

// The code page 932 text held in a fixed-size field: the bytes up to the first NUL, or
// all of them when there is none.
std::string_view fieldText(std::string_view field);

} // namespace pdt::text
