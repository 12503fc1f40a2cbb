#include "puzzle/document.h"

#include "text/cp932.h"

#include <iterator>
#include <utility>

namespace pdt::puzzle {

void ClearAll(Document& doc) {
    for (auto& r : doc.table)
        r = PatternRecord{};
}

bool IsNewDocument(const Document& doc) {
    return doc.state.currentFilePath.empty() || doc.state.currentFilePath == kNewDocumentName;
}

void ResetDocument(Document& doc) {
    ClearAll(doc);
    doc.state = EditorState{};
    doc.state.currentFilePath = kNewDocumentName;
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

bool DuplicatePattern(Document& doc, int i) {
    const int last = doc.state.lastIndex;
    if (last >= kMaxPatterns - 1 || i < 0 || i > last)
        return false;
    for (int k = last; k > i; --k)
        doc.pattern(k + 1) = doc.pattern(k);
    doc.pattern(i + 1) = doc.pattern(i);
    ++doc.state.lastIndex;
    return true;
}

std::vector<int> MovePatterns(Document& doc, std::span<const int> selectedIncreasing,
                              int destination) {
    const int count = doc.patternCount();
    if (selectedIncreasing.empty() || destination < 0 || destination > count)
        return {};
    std::vector<bool> selected(size_t(count), false);
    int previous = -1;
    for (const int s : selectedIncreasing) {
        if (s <= previous || s >= count)
            return {};
        selected[size_t(s)] = true;
        previous = s;
    }

    std::vector<PatternRecord> moved;
    std::vector<PatternRecord> others;
    int insertAt = 0; // among the others
    for (int k = 0; k < count; ++k) {
        if (selected[size_t(k)]) {
            moved.push_back(std::move(doc.pattern(k)));
        } else {
            others.push_back(std::move(doc.pattern(k)));
            if (k < destination)
                ++insertAt;
        }
    }
    others.insert(others.begin() + insertAt, std::make_move_iterator(moved.begin()),
                  std::make_move_iterator(moved.end()));
    std::move(others.begin(), others.end(), doc.table.begin());

    std::vector<int> placed(moved.size());
    for (size_t k = 0; k < placed.size(); ++k)
        placed[k] = insertAt + int(k);
    return placed;
}

ImageSource SlotSource(const Document& doc, int i, int slot) {
    return SlotSource(doc.pattern(i), doc.state.currentFilePath, slot);
}

ImageSource SlotSource(const PatternRecord& r, const std::string& currentFilePath, int slot) {
    ImageSource src;
    src.size = slotSize(r, slot);
    const std::string& native = r.sourceFiles[size_t(slot)];
    if (slotOffset(r, slot) != 0) {
        src.kind = ImageSource::Kind::CurrentFileRange;
        src.file = currentFilePath;
        src.offset = slotOffset(r, slot);
    } else if (!native.empty()) {
        src.kind = ImageSource::Kind::WholeFile;
        src.file = native;
    } else if (!fieldText(slotPath(r, slot)).empty()) {
        src.kind = ImageSource::Kind::WholeFile;
        src.file = text::fromCp932(fieldText(slotPath(r, slot)));
    }
    return src;
}

} // namespace pdt::puzzle
