#pragma once
// Opening a puzzle data file, in two steps so that the editor can ask for the password
// in between: read and check everything first, then replace the document in one step.

#include "puzzle/document.h"
#include "puzzle/record_walk.h"
#include "puzzle/user_message.h"

#include <optional>
#include <string>

namespace pdt::puzzle {

class FileSystem;

struct OpenedFile {
    std::string path;
    std::string password; // code page 932; empty when the file has none
    WalkResult walk;      // the records read soundly, and any damage met
};

struct [[nodiscard]] ReadResult {
    std::optional<OpenedFile> file;     // set when the file can be opened
    std::optional<UserMessage> refusal; // set when it cannot (nothing was changed)
};

// Reads the header and walks the records. Refuses (with the message to show) a path
// that cannot be opened, a file that is no puzzle data file ("このファイルは連結された
// ファイルではありません。"), and a file without one sound record.
// A file shorter than the header is refused as well. Reads no picture bytes.
ReadResult ReadPuzzleDataFile(const std::string& path);
ReadResult ReadPuzzleDataFile(const std::string& path, FileSystem& fs);

// The warning to show after opening a damaged file (what is wrong, how many patterns
// were read), or nothing for a sound one.
std::optional<UserMessage> DamageWarning(const OpenedFile& file);

// Replaces the document: the table from the records (the rest zero), lastIndex, password,
// currentFilePath = path, vendorFlag = the first record's vendorInfo (so that the flag
// agrees with what the check box shows). A file without records changes nothing.
void ApplyOpenedFile(Document& doc, const OpenedFile& file);

} // namespace pdt::puzzle
