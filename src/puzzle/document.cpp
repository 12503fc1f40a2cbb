#include "puzzle/document.h"

#include "text/cp932.h"

#include <utility>

namespace pdt::puzzle {

void ClearAll(Document& doc) {
    for (auto& r : doc.table)
        r = PatternRecord{};
}

void ResetDocument(Document& doc) {
    ClearAll(doc);
    const bool ready = doc.state.readyFlag;
    doc.state = EditorState{};
    doc.state.currentFilePath = kNewDocumentName;
    doc.state.readyFlag = ready;
}

bool AppendPattern(Document& doc) {
    if (doc.state.lastIndex >= kMaxPatterns - 1)
        return false;
    ++doc.state.lastIndex;
    return true;
}

void RemovePattern(Document& doc, int i) {
    const int last = doc.state.lastIndex;
    if (i < 0 || i > last)
        return;
    for (int k = i; k < last; ++k)
        doc.pattern(k) = doc.pattern(k + 1);
    PatternRecord& vacated = doc.pattern(last);
    vacated = PatternRecord{};
    vacated.pieceCount = 2;
    vacated.auxWord = 100;
    // The table never drops below one pattern; a lone pattern is only emptied.
    if (last > 0)
        --doc.state.lastIndex;
}

bool RemovePatterns(Document& doc, std::span<const int> selectedIncreasing) {
    if (selectedIncreasing.empty())
        return true;
    if (int(selectedIncreasing.size()) >= doc.patternCount())
        return false;
    int removed = 0;
    for (const int s : selectedIncreasing) {
        RemovePattern(doc, s - removed);
        ++removed;
    }
    return true;
}

void SwapPatterns(Document& doc, int i, int j) {
    std::swap(doc.pattern(i), doc.pattern(j));
}

void ClearImage(Document& doc, int i, int slot) {
    PatternRecord& r = doc.pattern(i);
    slotPath(r, slot)[0] = '\0';
    slotOffset(r, slot) = 0;
    slotSize(r, slot) = 0;
    r.sourceFiles[size_t(slot)].clear();
}

ImageSource SlotSource(const Document& doc, int i, int slot) {
    const PatternRecord& r = doc.pattern(i);
    ImageSource src;
    src.size = slotSize(r, slot);
    if (slotOffset(r, slot) != 0) {
        src.kind = ImageSource::Kind::CurrentFileRange;
        src.file = doc.state.currentFilePath;
        src.offset = slotOffset(r, slot);
    } else if (!fieldText(slotPath(r, slot)).empty()) {
        src.kind = ImageSource::Kind::WholeFile;
        const std::string& native = r.sourceFiles[size_t(slot)];
        src.file = native.empty() ? text::fromCp932(fieldText(slotPath(r, slot))) : native;
    }
    return src;
}

} // namespace pdt::puzzle
