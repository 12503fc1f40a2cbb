#pragma once
// Undo and redo for the editor: snapshots of the document's content, kept small by sharing
// the records that did not change between them.
//
// Picture bytes are never held: a snapshot names ranges of its puzzle data file or whole
// picture files. A save replaces a file that older snapshots may name ranges of, so every
// save is bracketed by prepareSave (which copies out what would otherwise be lost) and
// completeSave (which points the snapshots at the new file or at the copies).

#include "puzzle/document.h"
#include "puzzle/file_system.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace pdt::puzzle {

class History {
  public:
    // cacheDirectory: a folder for copies of pictures that only old states still need,
    // created when first needed; the copies are removed by clear() and the destructor, and
    // as soon as no state names them. maxSteps below 100 counts as 100.
    explicit History(std::string cacheDirectory, std::size_t maxSteps = 100,
                     FileSystem& fs = NativeFileSystem());
    const std::string& cacheDirectory() const { return cacheDirectory_; }
    ~History();
    History(const History&) = delete;
    History& operator=(const History&) = delete;

    // Call BEFORE a change is applied: `doc` is the state the change will be undone to, and
    // the redo steps are dropped. label: what the change is, UTF-8, for the menu. pattern:
    // the pattern the change concerns, shown after its undo or redo. A non-empty mergeKey
    // equal to the previous step's, with nothing in between (no other record, undo, redo,
    // markClean, breakMerge, clear or save), records nothing: a burst of typing is one step.
    void record(const Document& doc, std::string label, int pattern, std::string mergeKey = {});
    void breakMerge();

    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    // Empty when there is no such step.
    std::string undoLabel() const;
    std::string redoLabel() const;

    // Moves `doc` one step back (forward); its present content is kept for the opposite
    // direction: all 200 records (leftovers above lastIndex too) and the editor state.
    // Returns the step's pattern, clamped to the restored lastIndex, or nothing when there
    // is no step.
    std::optional<int> undo(Document& doc);
    std::optional<int> redo(Document& doc);

    // The present state is the saved one (after a save, an open or a new document).
    // isClean() holds exactly while the document is in that state, also when undo or redo
    // brings it back; once that state can no longer be reached it is false until the next
    // markClean. A new history starts clean.
    void markClean();
    bool isClean() const { return cleanState_ == presentState_; }

    // Forgets every step and removes the copies: call it only when the document no longer
    // shows an old state (the document may name a copy after an undo past a save).
    void clear();

    std::size_t stepCount() const { return undo_.size() + redo_.size(); }
    // The heap the steps hold, records shared between states counted once.
    std::size_t memoryBytes() const;

    // What prepareSave found; only completeSave reads it.
    struct SavePreparation {
        struct Range {
            int pattern = 0;
            int slot = 0;
            std::int32_t offset = 0;
            std::int32_t size = 0;
        };
        struct StatePlan {
            std::string file;         // the identity of the state's puzzle data file
            bool ofSavedFile = false; // the document's file before the save
            bool endangered = false;  // its file is the saved one or the target
        };
        using CopyKey = std::tuple<std::string, std::int32_t, std::int32_t>; // file, offset, size

        std::uint64_t version = 0;  // the history it was made for
        std::vector<Range> carried; // the picture ranges of the saved document
        std::map<std::uint64_t, StatePlan> states;
        std::map<CopyKey, std::string> copies; // each range copied out, and its copy
        std::set<std::uint64_t> lost;          // states whose copy failed
    };
    // Before the file is written: copies out every range that a state names in the
    // document's current file or in the target (TargetNameFor is applied to it) and that
    // the save does not carry across, in bounded chunks through the FileSystem.
    SavePreparation prepareSave(const Document& before, const std::string& target);
    // After a save that succeeded, with the saved document and nothing else done to the
    // history in between: the states of the saved file take the new offsets and file name;
    // copied ranges become picture files; states whose copy failed are forgotten with all
    // that lie beyond them. After a failed save call nothing: the old file is intact.
    void completeSave(const SavePreparation& prep, const Document& after);

    // Before a file that is not a save's target is replaced (an extraction's target): the
    // ranges that states name in it are copied out now, as for a save. `present` is the
    // document as it is; it must not read from that file itself.
    void protectFile(const Document& present, const std::string& path);

  private:
    using SharedRecord = std::shared_ptr<const PatternRecord>;

    struct State {
        std::uint64_t id = 0;
        std::array<SharedRecord, kMaxPatterns> records;
        std::int32_t lastIndex = 0;
        std::string password;
        std::uint8_t vendorFlag = 0;
        std::string currentFilePath;
    };
    struct Step {
        State state;
        std::string label;
        int pattern = 0;
    };

    // A state of `doc` with id `id`; records equal to those of `like` (at the same index
    // or next to it) are shared with it.
    static State capture(const Document& doc, std::uint64_t id, const State* like);
    static void restore(const State& state, Document& doc);
    std::optional<int> travel(std::deque<Step>& from, std::deque<Step>& to, Document& doc);
    void changed();

    // Plans the copies for replacing `replaced`, the save of `saved` if any.
    SavePreparation prepare(const Document* saved, const std::string& replaced);
    std::string identityOf(const std::string& path, std::map<std::string, std::string>& known);
    std::optional<std::string> copyRange(const std::string& file, std::int32_t offset,
                                         std::int32_t size, const std::string& extension);
    // Removes the copies that neither a state nor `also` names.
    void dropUnusedCopies(const Document* also = nullptr);

    std::string cacheDirectory_;
    std::size_t maxSteps_;
    FileSystem& fs_;
    std::deque<Step> undo_; // oldest first
    std::deque<Step> redo_; // the next redo last
    std::uint64_t presentState_ = 0;
    std::uint64_t cleanState_ = 0;
    std::uint64_t nextState_ = 1;
    std::uint64_t version_ = 0;
    std::string mergeKey_; // of the last record, while a burst may continue
    std::set<std::string> copies_;
    std::uint64_t nextCopy_ = 0;
    bool createdDirectory_ = false;
};

} // namespace pdt::puzzle
