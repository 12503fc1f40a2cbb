#pragma once
// Saving the document as a puzzle data file. The new file is written beside the target
// under a temporary name and then put in the target's place in one step, so that the
// target is at every instant either the old file or the complete new one.

#include "puzzle/document.h"
#include "puzzle/replacement_file.h"
#include "puzzle/user_message.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace pdt::puzzle {

class FileSystem;

struct [[nodiscard]] MissingPicture {
    int pattern = 0; // its index
    UserMessage message;
};

// The check the editor runs before asking for a name: the first pattern with no picture
// at all gives "ﾊﾟﾀｰﾝ%d のＣＧが抜けています。保存できません。".
std::optional<MissingPicture> CheckPatternsBeforeSave(const Document& doc);

// The chosen name with ".ADX" appended unless it already ends so in any letter case.
std::string TargetNameFor(std::string_view chosen);

// Called as bytes are written; returning false cancels the save (the target and the
// document then stay as they were).
using SaveProgress = std::function<bool(std::uint64_t written, std::uint64_t total)>;

struct [[nodiscard]] SaveResult {
    bool saved = false;
    bool cancelled = false; // by the progress callback; no message
    // "ファイルを保存しました。" when saved, else what went wrong.
    std::optional<UserMessage> message;
};

// Writes patterns 0..lastIndex with the given password (code page 932, at most 16
// bytes) to TargetNameFor(chosenName). On success the document takes the new file as
// its current file (offsets, recordSize, recordOffset, vendorInfo, password,
// currentFilePath) and `dirty` is left to the caller. On failure nothing of the
// document and nothing on disk has changed. A chosen name that names a folder (an empty
// file name, "." or "..") is refused. With ExistingTarget::Keep a file that is at the
// target when the new one is complete stays, and the save fails with
// WriteFailed(EEXIST).
SaveResult SavePuzzleDataFile(Document& doc, std::string_view chosenName,
                              std::string_view passwordCp932, const SaveProgress& progress = {});
SaveResult SavePuzzleDataFile(Document& doc, std::string_view chosenName,
                              std::string_view passwordCp932, const SaveProgress& progress,
                              FileSystem& fs, ExistingTarget existing = ExistingTarget::Replace);

} // namespace pdt::puzzle
