#include "session/edit_session.h"

#include "pieces/piece_grids.h"
#include "puzzle/messages.h"
#include "puzzle/pictures.h"
#include "session/session_texts.h"

#include <algorithm>
#include <variant>

namespace pdt::session {

using puzzle::MessageIcon;
using puzzle::PatternRecord;
using puzzle::UserMessage;

namespace {

UserMessage tell(const char* text) {
    return {text, puzzle::messages::kInformation, MessageIcon::Information};
}

UserMessage smallPicture() {
    return {std::string(pieces::kSmallPictureText), std::string(pieces::kSmallPictureCaption),
            MessageIcon::None};
}

// The largest grid table a picture of this size offers; nothing when it offers none.
std::optional<pieces::PieceGridTable> gridsOf(const PictureFacts& facts) {
    pieces::PieceGridTable table{};
    if (pieces::FillPieceChoices(table, facts.width, facts.height).outcome !=
        pieces::PieceChoices::Outcome::Accepted)
        return std::nullopt;
    return table;
}

// The name of a file as a list of refused pictures shows it: the part after the last
// separator of its native path.
// Where a path's file name starts.
size_t nameStart(const std::string& nativePath) {
#ifdef _WIN32
    const auto cut = nativePath.find_last_of("/\\");
#else
    const auto cut = nativePath.find_last_of('/');
#endif
    return cut == std::string::npos ? 0 : cut + 1;
}

std::string fileNameOf(const std::string& nativePath) {
    return nativePath.substr(nameStart(nativePath));
}

// The file whose bytes a picture's slot takes.
const std::string& storedFile(const std::string& chosen, const PictureFacts& facts) {
    return facts.made == PictureFacts::Made::AsChosen ? chosen : facts.madeFile;
}

Selection only(int row) {
    return {{row}, row};
}

} // namespace

std::string RecordedPath(const std::string& chosen, const PictureFacts& facts) {
    if (facts.made != PictureFacts::Made::Converted)
        return chosen;
    const size_t name = nameStart(chosen);
    const size_t dot = chosen.rfind('.');
    return (dot == std::string::npos || dot <= name ? chosen : chosen.substr(0, dot)) + ".jpg";
}

bool IsBlankPattern(const PatternRecord& r) {
    return r.puzzleImageSize == 0 && r.finishedImageSize == 0 &&
           puzzle::fieldText(r.puzzleImagePath).empty() &&
           puzzle::fieldText(r.finishedImagePath).empty() &&
           puzzle::fieldText(r.clearComment).empty() && puzzle::fieldText(r.finishComment).empty();
}

EditSession::EditSession(std::string historyFolder, bool keepsVendorFlag, puzzle::FileSystem& fs)
    : fs_(fs), history_(std::move(historyFolder), 100, fs), keepsVendorFlag_(keepsVendorFlag) {
    puzzle::ResetDocument(doc_);
}

void EditSession::changed() {
    if (listener_)
        listener_();
}

void EditSession::record(const char* label, int pattern, const std::string& mergeKey) {
    history_.record(doc_, label, pattern, mergeKey);
}

void EditSession::record(const puzzle::Document& before, const char* label, int pattern) {
    history_.record(before, label, pattern);
}

void EditSession::markSaved() {
    history_.markClean();
    edited_ = false;
}

void EditSession::show(int index) {
    shown_ = std::clamp(index, 0, doc_.state.lastIndex);
}

void EditSession::markEdited() {
    if (edited_)
        return;
    edited_ = true;
    changed();
}

std::optional<int> EditSession::undo() {
    return travel(&puzzle::History::undo);
}

std::optional<int> EditSession::redo() {
    return travel(&puzzle::History::redo);
}

std::optional<int>
EditSession::travel(std::optional<int> (puzzle::History::*step)(puzzle::Document&)) {
    history_.breakMerge();
    const std::optional<int> pattern = (history_.*step)(doc_);
    if (pattern) {
        edited_ = false;
        shown_ = *pattern;
        changed();
    }
    return pattern;
}

void EditSession::reset() {
    puzzle::ResetDocument(doc_);
    shown_ = 0;
    markSaved();
    changed();
}

void EditSession::restore(const JournalState& state) {
    history_.clear();
    doc_ = state.document;
    if (!keepsVendorFlag_)
        doc_.state.vendorFlag = 0;
    shown_ = std::clamp(state.shown, 0, doc_.state.lastIndex);
    history_.markClean();
    edited_ = true;
    changed();
}

void EditSession::newDocument() {
    record(texts::kStepNew, shown_);
    reset();
}

void EditSession::open(const puzzle::OpenedFile& file) {
    record(texts::kStepOpen, shown_);
    puzzle::ApplyOpenedFile(doc_, file);
    if (!keepsVendorFlag_)
        doc_.state.vendorFlag = 0;
    shown_ = 0;
    markSaved();
    changed();
}

void EditSession::storeScreen(const ShownDetails& screen) {
    PatternRecord& r = doc_.pattern(shown_);
    // With nothing offered the pattern keeps its count: the grids last enumerated belong to
    // some other picture.
    if (screen.pieceCount)
        r.pieceCount = *screen.pieceCount;
    r.rotation = screen.rotation;
    if (screen.clearComment)
        puzzle::setFieldText(r.clearComment, *screen.clearComment);
    if (screen.finishComment)
        puzzle::setFieldText(r.finishComment, *screen.finishComment);
}

void EditSession::commit(const ShownDetails& screen) {
    const PatternRecord before = doc_.pattern(shown_);
    storeScreen(screen);
    if (!(doc_.pattern(shown_) == before))
        changed();
}

std::optional<SaveCheck> EditSession::checkBeforeSave(const ShownDetails& screen) {
    commit(screen);
    if (auto missing = puzzle::CheckPatternsBeforeSave(doc_))
        return SaveCheck{std::move(missing->message), missing->pattern};
    return std::nullopt;
}

puzzle::SaveResult EditSession::save(const std::string& chosen, const std::string& passwordCp932,
                                     const puzzle::SaveProgress& progress) {
    // Older states may name pictures in a file this save replaces: the history keeps what
    // they need before it is gone.
    const puzzle::History::SavePreparation preparation =
        history_.prepareSave(doc_, puzzle::TargetNameFor(chosen));
    puzzle::SaveResult result =
        puzzle::SavePuzzleDataFile(doc_, chosen, passwordCp932, progress, fs_);
    if (result.saved) {
        history_.completeSave(preparation, doc_);
        markSaved();
        changed();
    }
    return result;
}

puzzle::ExtractResult EditSession::extract(int index, int slot, const std::string& target) {
    // The file replaced may be one an older state reads its pictures from.
    history_.protectFile(doc_, target);
    return puzzle::ExtractPicture(doc_, index, slot, target, fs_);
}

TableResult EditSession::addPattern(const ShownDetails& screen) {
    if (doc_.patternCount() >= puzzle::kMaxPatterns)
        return {tell(texts::kPatternLimit), std::nullopt};
    storeScreen(screen);
    const int added = doc_.state.lastIndex + 1;
    record(texts::kStepAddPattern, added);
    puzzle::AppendPattern(doc_);
    changed();
    return {std::nullopt, only(added)};
}

TableResult EditSession::deletePatterns(const ShownDetails& screen,
                                        const std::vector<int>& selected) {
    // The table keeps at least one pattern.
    if (doc_.patternCount() == 1 || int(selected.size()) >= doc_.patternCount())
        return {tell(texts::kCannotDeleteAll), std::nullopt};
    if (selected.empty())
        return {};
    storeScreen(screen);
    record(texts::kStepDeletePatterns, selected.front());
    puzzle::RemovePatterns(doc_, selected);
    changed();
    return {std::nullopt, only(std::max(selected.front() - 1, 0))};
}

// Each selected pattern changes places with its neighbour, the one nearest the move first,
// so that a block of selected patterns moves as a whole; nothing moves past either end. The
// caret lands where the last pattern moved went, as the list's own selection calls leave it.
TableResult EditSession::moveByOne(const ShownDetails& screen, const std::vector<int>& selected,
                                   int step) {
    if (doc_.patternCount() == 1 || selected.empty())
        return {};
    std::vector<int> order = selected;
    if (step > 0)
        std::reverse(order.begin(), order.end());
    if (order.front() + step < 0 || order.front() + step > doc_.state.lastIndex)
        return {};
    storeScreen(screen);
    record(texts::kStepMovePatterns, order.front() + step);
    Selection after;
    for (const int s : order) {
        puzzle::SwapPatterns(doc_, s, s + step);
        after.selected.push_back(s + step);
        after.caret = s + step;
    }
    std::sort(after.selected.begin(), after.selected.end());
    changed();
    return {std::nullopt, after};
}

TableResult EditSession::moveTo(const ShownDetails& screen, const std::vector<int>& selected,
                                int destination, int caret) {
    if (selected.empty())
        return {};
    storeScreen(screen);
    const puzzle::Document before = doc_;
    const std::vector<int> moved = puzzle::MovePatterns(doc_, selected, destination);
    if (moved.empty() || moved == selected)
        return {}; // dropped where they already were, or nowhere
    record(before, texts::kStepMovePatterns, moved.front());
    const auto at = std::find(selected.begin(), selected.end(), caret);
    changed();
    return {std::nullopt,
            Selection{moved,
                      at == selected.end() ? moved.front() : moved[size_t(at - selected.begin())]}};
}

TableResult EditSession::duplicateShown(const ShownDetails& screen) {
    if (doc_.patternCount() >= puzzle::kMaxPatterns)
        return {tell(texts::kPatternLimit), std::nullopt};
    storeScreen(screen);
    const int copy = shown_ + 1;
    record(texts::kStepDuplicatePattern, copy);
    puzzle::DuplicatePattern(doc_, shown_);
    changed();
    return {std::nullopt, only(copy)};
}

PicturePatternsResult EditSession::addPicturePatterns(const ShownDetails& screen,
                                                      const std::vector<std::string>& nativePaths,
                                                      const std::vector<PictureFacts>& facts) {
    storeScreen(screen);
    const puzzle::Document before = doc_;
    // A new document's one empty pattern takes the first picture rather than staying empty.
    bool fillFirst = doc_.patternCount() == 1 && IsBlankPattern(doc_.pattern(0));
    std::string refused; // "name  why", a line each
    int first = -1;
    bool limited = false;
    for (size_t f = 0; f < nativePaths.size() && f < facts.size(); ++f) {
        if (!fillFirst && doc_.patternCount() >= puzzle::kMaxPatterns) {
            limited = true;
            break;
        }
        const auto added = addPicturePattern(nativePaths[f], facts[f], fillFirst ? 0 : -1);
        if (const auto* why = std::get_if<std::string>(&added)) {
            refused += '\n' + fileNameOf(nativePaths[f]) + "  " + *why;
            continue;
        }
        fillFirst = false;
        if (first < 0)
            first = std::get<int>(added);
    }

    PicturePatternsResult result;
    if (first >= 0) {
        record(before, texts::kStepAddPictures, first);
        result.selection = only(first);
        changed();
    }
    if (limited)
        result.messages.push_back(
            tell(first >= 0 ? texts::kPatternLimitSome : texts::kPatternLimit));
    if (!refused.empty())
        result.messages.push_back({texts::kPicturesRefused + refused,
                                   puzzle::messages::kInformation, MessageIcon::Error});
    return result;
}

std::variant<int, std::string> EditSession::addPicturePattern(const std::string& file,
                                                              const PictureFacts& facts, int into) {
    if (facts.refusal)
        return facts.refusal->text;
    const std::optional<pieces::PieceGridTable> grids = gridsOf(facts);
    if (!grids)
        return std::string(pieces::kSmallPictureText);
    const int lastBefore = doc_.state.lastIndex;
    const int index = into >= 0 ? into : lastBefore + 1;
    if (into < 0)
        puzzle::AppendPattern(doc_);
    const PatternRecord kept = doc_.pattern(index);
    const std::string recorded = RecordedPath(file, facts);
    std::optional<UserMessage> refusal = puzzle::AttachPictureAs(
        doc_, index, puzzle::kPuzzleSlot, storedFile(file, facts), recorded, fs_);
    if (!refusal)
        refusal = puzzle::AttachPictureAs(doc_, index, puzzle::kFinishedSlot,
                                          storedFile(file, facts), recorded, fs_);
    if (refusal) {
        doc_.pattern(index) = kept;
        doc_.state.lastIndex = lastBefore;
        return refusal->text;
    }
    doc_.pattern(index).pieceCount = std::int16_t((*grids)[0].pieceCount());
    return index;
}

// Only a picture that can be shown is attached, and a puzzle picture only when it offers
// piece counts: a refused picture changes nothing, not even the picture it would replace.
std::optional<UserMessage> EditSession::attachPicture(int index, int slot,
                                                      const std::string& nativePath,
                                                      const PictureFacts& facts) {
    if (facts.refusal)
        return facts.refusal;
    if (slot == puzzle::kPuzzleSlot && !gridsOf(facts))
        return smallPicture();
    const puzzle::Document before = doc_;
    if (auto refusal = puzzle::AttachPictureAs(doc_, index, slot, storedFile(nativePath, facts),
                                               RecordedPath(nativePath, facts), fs_))
        return refusal;
    record(before, texts::kStepAttachPicture, index);
    changed();
    return std::nullopt;
}

void EditSession::deletePicture(int index, int slot) {
    const PatternRecord& r = doc_.pattern(index);
    if (puzzle::slotSize(r, slot) != 0 || puzzle::slotOffset(r, slot) != 0 ||
        !puzzle::fieldText(puzzle::slotPath(r, slot)).empty())
        record(texts::kStepDeletePicture, index);
    puzzle::ClearImage(doc_, index, slot);
    edited_ = true;
    changed();
}

void EditSession::detachUnusablePuzzlePicture(int index) {
    puzzle::ClearImage(doc_, index, puzzle::kPuzzleSlot);
    changed();
}

template <class T> void EditSession::setValue(T& field, T value, const char* label) {
    if (field != value) {
        record(label, shown_);
        field = value;
    }
    edited_ = true;
    changed();
}

void EditSession::choosePieceCount(std::int16_t count) {
    setValue(doc_.pattern(shown_).pieceCount, count, texts::kStepPieceCount);
}

void EditSession::setRotation(std::uint8_t rotation) {
    setValue(doc_.pattern(shown_).rotation, rotation, texts::kStepRotation);
}

void EditSession::setComment(int box, const std::string& stored) {
    edited_ = true;
    PatternRecord& r = doc_.pattern(shown_);
    puzzle::TextField& field = box == 0 ? r.clearComment : r.finishComment;
    if (puzzle::fieldText(field) != stored) {
        record(box == 0 ? texts::kStepClearComment : texts::kStepFinishComment, shown_,
               "comment " + std::to_string(shown_) + ' ' + std::to_string(box));
        puzzle::setFieldText(field, stored);
    }
    changed();
}

void EditSession::setPassword(const std::string& cp932) {
    edited_ = true;
    if (cp932 != doc_.state.password) {
        record(texts::kStepPassword, shown_, "password");
        doc_.state.password = cp932;
    }
    changed();
}

void EditSession::setVendorFlag(std::uint8_t flag) {
    setValue(doc_.state.vendorFlag, flag, texts::kStepVendorInfo);
}

} // namespace pdt::session
