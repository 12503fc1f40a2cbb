#pragma once
// The whole document the editor works on: the pattern table and the editor-wide values.

#include "puzzle/record.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace pdt::puzzle {

inline constexpr int kMaxPatterns = 200;
inline constexpr int kMaxPasswordBytes = 16;
inline constexpr char kNewDocumentName[] = "新規.ADX";

using PatternTable = std::array<PatternRecord, kMaxPatterns>;

struct EditorState {
    std::int32_t lastIndex = 0;
    std::int32_t currentPattern = 0;
    bool dirty = false;
    std::string password;        // code page 932 bytes, at most 16
    std::uint8_t vendorFlag = 0; // 0 or 1
    std::string currentFilePath; // native path of the current puzzle data file
    bool readyFlag = false;
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

// A new empty document: one all-zero pattern named "新規.ADX". Keeps readyFlag.
void ResetDocument(Document& doc);

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

// Empties a slot: path, offset and size. Everything else of the pattern stays.
void ClearImage(Document& doc, int i, int slot);

// Where the bytes of a slot's picture are.
struct ImageSource {
    enum class Kind { Empty, CurrentFileRange, WholeFile };
    Kind kind = Kind::Empty;
    std::string file;          // native path: currentFilePath or the picture's own file
    std::int64_t offset = 0;   // CurrentFileRange only
    std::int64_t size = 0;     // the size the record holds
};

ImageSource SlotSource(const Document& doc, int i, int slot);

} // namespace pdt::puzzle
