#pragma once
// Names of extracted pictures. The stored path is whatever the file says, so its last
// part is made safe before it becomes a file name: it must never name a place outside
// the chosen folder, a hidden file, or a device on Windows.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace pdt::cli {

// The stored path (UTF-8) after its last '\' or '/', made safe: no drive letter, no
// control characters or characters Windows forbids, no "..", no leading or trailing dots
// and spaces, no reserved device name, at most 200 bytes. Empty when nothing is left.
std::string SafeNamePart(std::string_view storedPath);

// ".jpg", ".bmp", ".gif" or ".png" by the picture's first bytes, else ".bin".
std::string_view SniffedExtension(std::span<const std::uint8_t> head);

// "NNN-puzzle-NAME" or "NNN-finished-NAME" (NNN the three-digit pattern number); with
// nothing left of the stored name, "NNN-puzzle" and the sniffed extension.
std::string ExtractedName(int patternNumber, int slot, std::string_view storedPath,
                          std::span<const std::uint8_t> head);

} // namespace pdt::cli
