#pragma once
// One editing session: the document, its history and whether it has unsaved changes, with
// every editing command as one operation. A command that changes the document records
// exactly one step of the history, before the change, and says in its result what the
// list should select and which pattern to show next; a command that cannot run says why
// and changes nothing. The editor window only gathers what the user chose and shows the
// results. Nothing here knows widgets.
//
// Commands that change the pattern table take what the screen shows for the pattern shown
// (ShownDetails) and store it first, so that what was typed stays with its pattern.

#include "puzzle/document.h"
#include "puzzle/history.h"
#include "puzzle/open.h"
#include "puzzle/pictures.h"
#include "puzzle/save.h"
#include "puzzle/user_message.h"
#include "session/journal.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace pdt::session {

// What the window shows of the pattern shown, stored into it by every commit.
struct ShownDetails {
    std::optional<std::int16_t> pieceCount;   // nothing while no count is offered
    std::uint8_t rotation = 0;                // 0 or 1
    std::optional<std::string> clearComment;  // stored form; nothing: untouched since shown
    std::optional<std::string> finishComment; // the same
};

// What the decoder found out about a picture file before it is attached.
struct PictureFacts {
    std::optional<puzzle::UserMessage> refusal; // the decoder cannot show it whole
    int width = 0;                              // the stored pixel size, from the header
    int height = 0;
    // What the player cannot use as it is, and the editor offers to mend.
    std::string otherFormat = {}; // a format the player does not read, which converts ("PNG")
    int orientation = 1;          // a JPEG's EXIF orientation; 1 is "normal", as stored
    // A picture stored from a file made from the one chosen: converted to a JPEG (recorded
    // under the JPEG's name next to the original) or turned upright (recorded as chosen).
    enum class Made { AsChosen, Converted, TurnedUpright };
    Made made = Made::AsChosen;
    std::string madeFile = {}; // native path of the file whose bytes are stored
};

// The path a picture's field records: the chosen one, or for a conversion the JPEG's name
// in the chosen picture's folder ("shot.png" becomes "shot.jpg").
std::string RecordedPath(const std::string& chosen, const PictureFacts& facts);

// The selection a command leaves: `selected` increasing, the caret on `caret`, which is the
// pattern to show next.
struct Selection {
    std::vector<int> selected;
    int caret = 0;
    bool operator==(const Selection&) const = default;
};

struct [[nodiscard]] TableResult {
    std::optional<puzzle::UserMessage> refusal; // the command could not run
    std::optional<Selection> selection;         // set when the table changed
};

struct [[nodiscard]] PicturePatternsResult {
    std::optional<Selection> selection;        // set when at least one pattern was made
    std::vector<puzzle::UserMessage> messages; // in the order to show them
};

// A failed check before saving, with the pattern it names.
struct [[nodiscard]] SaveCheck {
    puzzle::UserMessage message;
    int pattern = 0;
};

class EditSession {
  public:
    // historyFolder: where the history keeps copies of pictures that only old states need.
    // keepsVendorFlag: false for the window variant that can neither show nor set the flag,
    // whose documents then always carry 0.
    EditSession(std::string historyFolder, bool keepsVendorFlag,
                puzzle::FileSystem& fs = puzzle::NativeFileSystem());

    const puzzle::Document& document() const { return doc_; }
    const std::string& historyFolder() const { return history_.cacheDirectory(); }
    // The pattern shown: the one the details, pictures and picture commands belong to.
    int shown() const { return shown_; }
    void show(int index);
    // The one answer to "has the document unsaved changes?".
    bool unsaved() const { return edited_ || !history_.isClean(); }

    // Called after every change of the document, the history or the unsaved state.
    void setChangeListener(std::function<void()> listener) { listener_ = std::move(listener); }

    // Something the user did counts as an edit without changing the document (focus moved
    // into or out of an edit, a dialog cancelled): the document is unsaved from now on.
    void markEdited();
    // The next typing is a step of its own.
    void endBurst() { history_.breakMerge(); }

    bool canUndo() const { return history_.canUndo(); }
    bool canRedo() const { return history_.canRedo(); }
    std::string undoLabel() const { return history_.undoLabel(); }
    std::string redoLabel() const { return history_.redoLabel(); }
    // The pattern the step concerns, to be shown; nothing when there was no step. What was
    // touched but not changed since is forgotten: unsaved is then the history's answer.
    std::optional<int> undo();
    std::optional<int> redo();

    // The whole document starts again as one empty pattern, as at start-up; no step.
    void reset();
    // What a recovery journal keeps: the document and the pattern shown (a copy).
    JournalState journalState(std::int64_t changedAt) const { return {doc_, shown_, changedAt}; }
    // Takes up a recovered state as an unsaved document whose history starts there.
    void restore(const JournalState& state);
    // The same as a command of the user: one step, so that it can be undone.
    void newDocument();
    // Replaces the document with an opened file, pattern 0 shown; one step.
    void open(const puzzle::OpenedFile& file);
    // Stores the screen into the pattern shown; never a step of its own, as every part of
    // it was recorded when the user changed it.
    void commit(const ShownDetails& screen);
    // Commits, then the check before saving: the first pattern without any picture.
    std::optional<SaveCheck> checkBeforeSave(const ShownDetails& screen);
    // Saves under the chosen name (".ADX" added); the document takes the new file.
    puzzle::SaveResult save(const std::string& chosen, const std::string& passwordCp932,
                            const puzzle::SaveProgress& progress);
    // Writes a stored picture out; no edit, but old states keep what the target held.
    puzzle::ExtractResult extract(int index, int slot, const std::string& target);

    TableResult addPattern(const ShownDetails& screen);
    TableResult deletePatterns(const ShownDetails& screen, const std::vector<int>& selected);
    // Moves each selected pattern one place up (step -1) or down (step 1).
    TableResult moveByOne(const ShownDetails& screen, const std::vector<int>& selected, int step);
    // Moves the selected patterns before the pattern at `destination` (patternCount: the
    // end), as a drag does; the caret moves with its pattern.
    TableResult moveTo(const ShownDetails& screen, const std::vector<int>& selected,
                       int destination, int caret);
    TableResult duplicateShown(const ShownDetails& screen);
    // One new pattern per picture, in the given order, each picture in both slots; a new
    // document's one blank pattern takes the first. `facts` has one entry a file.
    PicturePatternsResult addPicturePatterns(const ShownDetails& screen,
                                             const std::vector<std::string>& nativePaths,
                                             const std::vector<PictureFacts>& facts);

    // Attaches a picture file to a slot; a refused picture changes nothing.
    std::optional<puzzle::UserMessage>
    attachPicture(int index, int slot, const std::string& nativePath, const PictureFacts& facts);
    void deletePicture(int index, int slot);
    // A stored puzzle picture that turned out too small for pieces when it was shown is
    // detached. No step: the picture was never usable, and undo would bring it back only to
    // have it detached again.
    void detachUnusablePuzzlePicture(int index);

    void choosePieceCount(std::int16_t count);
    void setRotation(std::uint8_t rotation);
    // box 0: the comment after the puzzle, 1: after the finished picture. Typing into one
    // box of one pattern is one step until the burst ends.
    void setComment(int box, const std::string& stored);
    void setPassword(const std::string& cp932);
    void setVendorFlag(std::uint8_t flag);

  private:
    void record(const char* label, int pattern, const std::string& mergeKey = {});
    void record(const puzzle::Document& before, const char* label, int pattern);
    // The document as opened or saved: clean, nothing touched.
    void markSaved();
    void changed();
    std::optional<int> travel(std::optional<int> (puzzle::History::*step)(puzzle::Document&));
    void storeScreen(const ShownDetails& screen);
    // One picture in both slots of a new pattern, or of pattern `into` (-1: a new one at
    // the end): the pattern's index, or why the picture was refused (nothing changed).
    std::variant<int, std::string> addPicturePattern(const std::string& file,
                                                     const PictureFacts& facts, int into);
    // A value of the document set by the user: one step when it changes, an edit always.
    template <class T> void setValue(T& field, T value, const char* label);

    puzzle::FileSystem& fs_;
    puzzle::Document doc_;
    puzzle::History history_;
    bool keepsVendorFlag_;
    int shown_ = 0;
    bool edited_ = false;
    std::function<void()> listener_;
};

// True for a pattern with nothing in it: no picture, no path, no comment.
bool IsBlankPattern(const puzzle::PatternRecord& r);

} // namespace pdt::session
