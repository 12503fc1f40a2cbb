#pragma once
// The manifest that `extract` writes and `pack` reads: everything a puzzle data file
// holds besides the picture bytes, with the pictures named as files beside it. Texts are
// UTF-8 here and code page 932 in the file.

#include "cli/json_text.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace pdt::cli {

struct ManifestPattern {
    std::optional<std::string> puzzle; // picture file, relative to the manifest's folder
    std::optional<std::string> finished;
    std::optional<std::string> puzzlePath; // the path to record; default the file's absolute path
    std::optional<std::string> finishedPath;
    std::optional<std::int16_t> pieceCount; // default: the smallest count offered
    bool rotation = false;
    std::string clearComment;
    std::string finishComment;
};

struct Manifest {
    std::string password;
    bool vendorInfo = false;
    std::vector<ManifestPattern> patterns;
};

inline constexpr int kMaxManifestPatterns = 200;

// Checks the shape: an object with the fields above and no others, of their types, 1 to
// 200 patterns, each with a puzzle or a finished picture. Gives a one-line reason when
// the text is not such a manifest. Limits of the file format are left to `pack`.
std::variant<Manifest, std::string> ParseManifest(std::string_view json);

// The manifest in the order its fields are documented.
JsonValue ManifestJson(const Manifest& manifest);

} // namespace pdt::cli
