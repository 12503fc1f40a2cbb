#include "puzzle/history.h"
#include <algorithm>
namespace pdt::puzzle {
History::History(std::string, std::size_t, FileSystem&) {}
History::~History() = default;
void History::record(const Document& doc, std::string label, int pattern, std::string key) {
    if (merging_ && !key.empty() && !undo_.empty() && undo_.back().key == key) return;
    redo_.clear();
    undo_.push_back({doc, label, pattern, key, current_});
    current_ = next_++;
    merging_ = !key.empty();
}
static void restore(Document& doc, const Document& from) {
    doc.table = from.table; doc.state.lastIndex = from.state.lastIndex;
    doc.state.password = from.state.password; doc.state.vendorFlag = from.state.vendorFlag;
    doc.state.currentFilePath = from.state.currentFilePath;
}
std::optional<int> History::undo(Document& doc) {
    merging_ = false;
    if (undo_.empty()) return std::nullopt;
    Step s = std::move(undo_.back()); undo_.pop_back();
    redo_.push_back({doc, s.label, s.pattern, "", current_});
    restore(doc, s.doc); current_ = s.id;
    return std::min(s.pattern, doc.state.lastIndex);
}
std::optional<int> History::redo(Document& doc) {
    merging_ = false;
    if (redo_.empty()) return std::nullopt;
    Step s = std::move(redo_.back()); redo_.pop_back();
    undo_.push_back({doc, s.label, s.pattern, "", current_});
    restore(doc, s.doc); current_ = s.id;
    return std::min(s.pattern, doc.state.lastIndex);
}
void History::clear() { undo_.clear(); redo_.clear(); }
bool DuplicatePattern(Document& doc, int i) {
    if (doc.state.lastIndex >= kMaxPatterns - 1) return false;
    for (int k = doc.state.lastIndex; k > i; --k) doc.pattern(k + 1) = doc.pattern(k);
    doc.pattern(i + 1) = doc.pattern(i);
    ++doc.state.lastIndex; return true;
}
std::vector<int> MovePatterns(Document& doc, std::span<const int> sel, int dest) {
    std::vector<PatternRecord> moved, rest;
    int before = 0;
    for (int k = 0; k <= doc.state.lastIndex; ++k) {
        if (std::find(sel.begin(), sel.end(), k) != sel.end()) { moved.push_back(doc.pattern(k)); if (k < dest) ++before; }
        else rest.push_back(doc.pattern(k));
    }
    int insert = dest - before;
    std::vector<int> out;
    int k = 0;
    for (int r = 0; r < insert; ++r) doc.pattern(k++) = rest[size_t(r)];
    for (auto& m : moved) { out.push_back(k); doc.pattern(k++) = m; }
    for (size_t r = size_t(insert); r < rest.size(); ++r) doc.pattern(k++) = rest[r];
    return out;
}
}
