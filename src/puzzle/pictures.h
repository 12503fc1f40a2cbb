#pragma once
// Attaching picture files to pattern slots and writing stored pictures back out.

#include "puzzle/document.h"
#include "puzzle/user_message.h"

#include <optional>
#include <string>

namespace pdt::puzzle {

class FileSystem;

// Attaches the file at nativePath to a slot: the path field gets its code page 932 form,
// the offset 0 and the size the file's length now. Refuses with a message, changing
// nothing, a file that cannot be opened or a path that code page 932 cannot hold or
// that takes more than 255 bytes there (the field keeps its terminator).
// A file of zero bytes is attached (with size 0), as it always was.
std::optional<UserMessage> AttachPicture(Document& doc, int index, int slot,
                                         const std::string& nativePath);
std::optional<UserMessage> AttachPicture(Document& doc, int index, int slot,
                                         const std::string& nativePath, FileSystem& fs);
// The same for a picture made from the one the user chose (converted, turned upright): its
// bytes come from nativePath, the path field records recordedPath.
std::optional<UserMessage> AttachPictureAs(Document& doc, int index, int slot,
                                           const std::string& nativePath,
                                           const std::string& recordedPath, FileSystem& fs);

// The refusals before extraction, in order: not joined yet (offset 0), no picture set
// (empty path), invalid size (0).
std::optional<UserMessage> CheckExtract(const Document& doc, int index, int slot);

// The name offered for an extracted picture: the stored path after its last '\' or '/'
// (the whole path when it has neither), as UTF-8.
std::string DefaultExtractName(const Document& doc, int index, int slot);

struct [[nodiscard]] ExtractResult {
    bool extracted = false;
    UserMessage message; // "ファイルを抽出しました。" or what went wrong
};

// Copies the slot's stored range of the current puzzle data file to target. An existing
// target is replaced only by a complete copy; a failure leaves no partial file. Refuses
// (besides CheckExtract's refusals) a range outside the file, a folder as target and the
// current puzzle data file itself as target. A target that is a device (not a regular
// file) is written directly.
ExtractResult ExtractPicture(const Document& doc, int index, int slot, const std::string& target);
ExtractResult ExtractPicture(const Document& doc, int index, int slot, const std::string& target,
                             FileSystem& fs);

} // namespace pdt::puzzle
