#pragma once
// Attaching picture files to pattern slots and writing stored pictures back out.

#include "puzzle/document.h"
#include "puzzle/user_message.h"

#include <optional>
#include <string>

namespace pdt::puzzle {

// Attaches the file at nativePath to a slot: the path field gets its code page 932 form,
// the offset 0 and the size the file's length now. Refuses with a message, changing
// nothing, a file that cannot be opened or a path that code page 932 cannot hold or
// that does not fit the 256-byte field.
std::optional<UserMessage> AttachPicture(Document& doc, int index, int slot,
                                         const std::string& nativePath);

// The refusals before extraction, in order: not joined yet (offset 0), no picture set
// (empty path), invalid size (0).
std::optional<UserMessage> CheckExtract(const Document& doc, int index, int slot);

// The name offered for an extracted picture: the stored path after its last '\' or '/'
// (the whole path when it has neither), as UTF-8.
std::string DefaultExtractName(const Document& doc, int index, int slot);

struct ExtractResult {
    bool extracted = false;
    UserMessage message; // "ファイルを抽出しました。" or what went wrong
};

// Copies the slot's stored range of the current puzzle data file to target. An existing
// target is replaced only by a complete copy; a failure leaves no partial file.
ExtractResult ExtractPicture(const Document& doc, int index, int slot, const std::string& target);

} // namespace pdt::puzzle
