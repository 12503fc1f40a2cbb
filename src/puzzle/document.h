#pragma once
// The whole document the editor works on: the pattern table and the editor-wide values.

#include "puzzle/record.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pdt::puzzle {

inline constexpr int kMaxPatterns = 200;
inline constexpr char kNewDocumentName[] = "新規.ADX";

using PatternTable = std::array<PatternRecord, kMaxPatterns>;

// The values of the document beside its table. What the editor shows and whether the
// document is saved belong to the editing session, not here.
struct EditorState {
    std::int32_t lastIndex = 0;
    std::string password;        // code page 932 bytes, at most kMaxPasswordBytes
    std::uint8_t vendorFlag = 0; // 0 or 1
    std::string currentFilePath; // native path of the current puzzle data file
};

struct Document {
    PatternTable table{};
    EditorState state;

    int patternCount() const { return state.lastIndex + 1; }
    PatternRecord& pattern(int i) { return table.at(size_t(i)); }
    const PatternRecord& pattern(int i) const { return table.at(size_t(i)); }
};

// Table operations. Indices are zero-based; slots are kPuzzleSlot and kFinishedSlot.

// All 200 records to zero. Leaves the editor-wide values alone.
void ClearAll(Document& doc);

// A new empty document: one all-zero pattern named "新規.ADX".
void ResetDocument(Document& doc);
// True while the document has no file of its own: new, or never opened or saved.
bool IsNewDocument(const Document& doc);

// One more pattern at the end; the new slot keeps whatever it holds. False at 200.
bool AppendPattern(Document& doc);

// Removes pattern i (0 <= i <= lastIndex): later patterns move up one slot, and the
// vacated last slot becomes zero with pieceCount 2 and auxWord 100.
void RemovePattern(Document& doc, int i);

// Removes the patterns at the given indices (increasing, each within the document).
// The table always keeps at least one pattern: asking to remove every pattern is
// refused, changes nothing and returns false.
bool RemovePatterns(Document& doc, std::span<const int> selectedIncreasing);

void SwapPatterns(Document& doc, int i, int j);

// Inserts a copy of pattern i (0 <= i <= lastIndex) right after it: pictures, comments,
// piece count, rotation, everything. Later patterns move down one. False, changing
// nothing, at 200 patterns or for an index outside the document.
bool DuplicatePattern(Document& doc, int i);

// Moves the selected patterns (increasing, each within the document), keeping their order,
// so that they land before the pattern that was at `destination` (0..patternCount;
// patternCount means the end), as a drag in the list does. Returns their new indices, or
// nothing (and changes nothing) for a selection or destination outside the document.
// Slots above lastIndex are untouched.
std::vector<int> MovePatterns(Document& doc, std::span<const int> selectedIncreasing,
                              int destination);

// Empties a slot: path, offset and size. Everything else of the pattern stays.
void ClearImage(Document& doc, int i, int slot);

// Where the bytes of a slot's picture are.
struct ImageSource {
    enum class Kind { Empty, CurrentFileRange, WholeFile };
    Kind kind = Kind::Empty;
    std::string file;        // native path: currentFilePath or the picture's own file
    std::int64_t offset = 0; // CurrentFileRange only
    std::int64_t size = 0;   // the size the record holds
};

// Offset 0 with a native source file is a picture file even when the path field is empty
// (a picture that was stored without a path and has since been copied out of its file).
ImageSource SlotSource(const Document& doc, int i, int slot);
ImageSource SlotSource(const PatternRecord& r, const std::string& currentFilePath, int slot);

} // namespace pdt::puzzle
