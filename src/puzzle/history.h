#pragma once
// STAND-IN (replaced by the real history before merge).
#include "puzzle/document.h"
#include "puzzle/file_system.h"
#include <optional>
#include <string>
#include <vector>
namespace pdt::puzzle {
class History {
  public:
    explicit History(std::string cacheDirectory, std::size_t maxSteps = 100,
                     FileSystem& fs = NativeFileSystem());
    ~History();
    void record(const Document& doc, std::string label, int pattern, std::string mergeKey = {});
    void breakMerge() { merging_ = false; }
    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    std::string undoLabel() const { return undo_.empty() ? "" : undo_.back().label; }
    std::string redoLabel() const { return redo_.empty() ? "" : redo_.back().label; }
    std::optional<int> undo(Document& doc);
    std::optional<int> redo(Document& doc);
    void markClean() { clean_ = current_; merging_ = false; }
    bool isClean() const { return clean_ == current_; }
    void clear();
    struct SavePreparation {};
    SavePreparation prepareSave(const Document&, const std::string&) { return {}; }
    void completeSave(const SavePreparation&, const Document&) {}
  private:
    struct Step { Document doc; std::string label; int pattern; std::string key; long id; };
    std::vector<Step> undo_, redo_;
    long current_ = 0, next_ = 1, clean_ = 0;
    bool merging_ = false;
};
bool DuplicatePattern(Document& doc, int i);
std::vector<int> MovePatterns(Document& doc, std::span<const int> selectedIncreasing, int destination);
}
