#include "puzzle/history.h"

#include "puzzle/save.h"

#include <algorithm>
#include <cerrno>
#include <unordered_set>

namespace pdt::puzzle {

namespace {

constexpr std::size_t kMinSteps = 100;
constexpr std::size_t kChunkSize = std::size_t(1) << 20;
constexpr int kNameAttempts = 1000;

bool isRange(std::int32_t offset, std::int32_t size) {
    return offset != 0 && size > 0;
}

// ".jpg" from a stored path, so that a copy keeps the kind its name said; "" when the
// name has no plain extension.
std::string extensionOf(std::string_view storedPath) {
    const auto dot = storedPath.find_last_of('.');
    if (dot == std::string_view::npos)
        return {};
    const std::string_view ext = storedPath.substr(dot + 1);
    if (ext.empty() || ext.size() > 8)
        return {};
    for (const char c : ext)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
            return {};
    std::string out(1, '.');
    out.append(ext);
    return out;
}

std::size_t heapOf(const std::string& s) {
    return s.capacity() > std::string().capacity() ? s.capacity() + 1 : 0;
}

// Drops the steps from the far end up to and including the farthest one that is lost.
template <class Steps, class Lost> void cutAfterLost(Steps& steps, Lost&& lost) {
    for (std::size_t k = steps.size(); k-- > 0;) {
        if (lost(steps[k].state.id)) {
            steps.erase(steps.begin(), steps.begin() + std::ptrdiff_t(k + 1));
            return;
        }
    }
}

// Where each picture range that the save carried across lies in the saved file, by its
// offset and size before the save.
using MovedRanges = std::map<std::pair<std::int32_t, std::int32_t>, std::int32_t>;

MovedRanges movedRanges(const History::SavePreparation& prep, const Document& after) {
    MovedRanges moved;
    for (const auto& c : prep.carried) {
        if (c.pattern > after.state.lastIndex)
            continue;
        const PatternRecord& r = after.pattern(c.pattern);
        if (slotSize(r, c.slot) == c.size && slotOffset(r, c.slot) != 0)
            moved.emplace(std::pair(c.offset, c.size), slotOffset(r, c.slot));
    }
    return moved;
}

// A record of a state of plan's file, pointed at the saved file or at the copies; nothing
// when one of its ranges is in neither.
std::optional<PatternRecord>
repointed(PatternRecord r, const History::SavePreparation::StatePlan& p, const MovedRanges& moved,
          const std::map<History::SavePreparation::CopyKey, std::string>& copies) {
    for (int slot = 0; slot < 2; ++slot) {
        const std::int32_t offset = slotOffset(r, slot);
        const std::int32_t size = slotSize(r, slot);
        if (!isRange(offset, size))
            continue;
        if (const auto m = moved.find({offset, size}); p.ofSavedFile && m != moved.end()) {
            slotOffset(r, slot) = m->second;
        } else if (const auto c = copies.find({p.file, offset, size}); c != copies.end()) {
            slotOffset(r, slot) = 0;
            r.sourceFiles[size_t(slot)] = c->second;
        } else {
            return std::nullopt;
        }
    }
    return r;
}

} // namespace

History::History(std::string cacheDirectory, std::size_t maxSteps, FileSystem& fs)
    : cacheDirectory_(std::move(cacheDirectory)), maxSteps_(std::max(maxSteps, kMinSteps)),
      fs_(fs) {}

History::~History() {
    clear();
    if (createdDirectory_)
        (void)fs_.removeDirectory(cacheDirectory_); // only when empty
}

History::State History::capture(const Document& doc, std::uint64_t id, const State* like) {
    State s;
    s.id = id;
    for (int i = 0; i < kMaxPatterns; ++i) {
        const PatternRecord& r = doc.table[size_t(i)];
        SharedRecord& out = s.records[size_t(i)];
        // A change touches one pattern or shifts the ones after it by one place.
        if (like) {
            for (const int j : {i, i + 1, i - 1}) {
                if (j >= 0 && j < kMaxPatterns && *like->records[size_t(j)] == r) {
                    out = like->records[size_t(j)];
                    break;
                }
            }
        }
        if (!out && i > 0 && *s.records[size_t(i - 1)] == r)
            out = s.records[size_t(i - 1)];
        if (!out)
            out = std::make_shared<const PatternRecord>(r);
    }
    s.lastIndex = doc.state.lastIndex;
    s.password = doc.state.password;
    s.vendorFlag = doc.state.vendorFlag;
    s.currentFilePath = doc.state.currentFilePath;
    return s;
}

void History::restore(const State& s, Document& doc) {
    for (size_t i = 0; i < s.records.size(); ++i)
        doc.table[i] = *s.records[i];
    doc.state.lastIndex = s.lastIndex;
    doc.state.password = s.password;
    doc.state.vendorFlag = s.vendorFlag;
    doc.state.currentFilePath = s.currentFilePath;
}

void History::changed() {
    ++version_;
    mergeKey_.clear();
}

void History::record(const Document& doc, std::string label, int pattern, std::string mergeKey) {
    if (!mergeKey.empty() && mergeKey == mergeKey_)
        return;
    const State* like = !redo_.empty()   ? &redo_.back().state
                        : !undo_.empty() ? &undo_.back().state
                                         : nullptr;
    State before = capture(doc, presentState_, like);
    bool dropped = !redo_.empty();
    redo_.clear();
    undo_.push_back({std::move(before), std::move(label), pattern});
    while (undo_.size() > maxSteps_) {
        undo_.pop_front();
        dropped = true;
    }
    presentState_ = nextState_++;
    changed();
    mergeKey_ = std::move(mergeKey);
    if (dropped)
        dropUnusedCopies();
}

void History::breakMerge() {
    mergeKey_.clear();
}

std::string History::undoLabel() const {
    return undo_.empty() ? std::string() : undo_.back().label;
}

std::string History::redoLabel() const {
    return redo_.empty() ? std::string() : redo_.back().label;
}

std::optional<int> History::travel(std::deque<Step>& from, std::deque<Step>& to, Document& doc) {
    if (from.empty())
        return std::nullopt;
    Step step = std::move(from.back());
    from.pop_back();
    to.push_back({capture(doc, presentState_, &step.state), step.label, step.pattern});
    restore(step.state, doc);
    presentState_ = step.state.id;
    changed();
    return std::clamp(step.pattern, 0, std::max(0, int(doc.state.lastIndex)));
}

std::optional<int> History::undo(Document& doc) {
    return travel(undo_, redo_, doc);
}

std::optional<int> History::redo(Document& doc) {
    return travel(redo_, undo_, doc);
}

void History::markClean() {
    cleanState_ = presentState_;
    mergeKey_.clear();
}

void History::clear() {
    undo_.clear();
    redo_.clear();
    changed();
    for (const std::string& copy : copies_)
        (void)fs_.remove(copy);
    copies_.clear();
}

std::size_t History::memoryBytes() const {
    std::unordered_set<const PatternRecord*> seen;
    std::size_t bytes = 0;
    for (const auto* steps : {&undo_, &redo_}) {
        for (const Step& step : *steps) {
            bytes += sizeof(Step) + heapOf(step.label) + heapOf(step.state.password) +
                     heapOf(step.state.currentFilePath);
            for (const SharedRecord& r : step.state.records) {
                if (!seen.insert(r.get()).second)
                    continue;
                // The record and the control block that make_shared puts before it.
                bytes += sizeof(PatternRecord) + 2 * sizeof(void*) + heapOf(r->sourceFiles[0]) +
                         heapOf(r->sourceFiles[1]);
            }
        }
    }
    return bytes;
}

std::string History::identityOf(const std::string& path,
                                std::map<std::string, std::string>& known) {
    if (const auto it = known.find(path); it != known.end())
        return it->second;
    const auto st = fs_.status(path);
    std::string id =
        st.ok() && st.value.kind != FileStatus::Kind::Missing
            ? "file " + std::to_string(st.value.device) + ":" + std::to_string(st.value.inode)
            : "path " + path;
    known.emplace(path, id);
    return id;
}

std::optional<std::string> History::copyRange(const std::string& file, std::int32_t offset,
                                              std::int32_t size, const std::string& extension) {
    if (offset < 0 || size <= 0)
        return std::nullopt;
    if (copies_.empty() && fs_.makeDirectory(cacheDirectory_).ok())
        createdDirectory_ = true;

    const auto source = fs_.openRead(file);
    if (!source.ok())
        return std::nullopt;
    struct Handles {
        FileSystem& fs;
        FileHandle in;
        FileHandle out = kNoFile;
        ~Handles() {
            (void)fs.close(in);
            if (out != kNoFile)
                (void)fs.close(out);
        }
    } handles{fs_, source.value};
    const auto length = fs_.size(source.value);
    if (!length.ok() || std::uint64_t(offset) + std::uint64_t(size) > length.value)
        return std::nullopt;

    std::string name;
    for (int attempt = 0; attempt < kNameAttempts && handles.out == kNoFile; ++attempt) {
        name = cacheDirectory_ + "/picture-" + std::to_string(nextCopy_++) + extension;
        const auto made = fs_.create(name, CreateMode::Exclusive);
        if (made.ok())
            handles.out = made.value;
        else if (made.error != EEXIST)
            return std::nullopt;
    }
    if (handles.out == kNoFile)
        return std::nullopt;

    std::vector<std::uint8_t> buffer(std::min<std::size_t>(std::size_t(size), kChunkSize));
    std::uint64_t at = std::uint64_t(offset);
    bool ok = true;
    for (std::uint64_t left = std::uint64_t(size); left > 0 && ok;) {
        const auto want = std::size_t(std::min<std::uint64_t>(left, buffer.size()));
        const auto r = fs_.readAt(source.value, at, {buffer.data(), want});
        ok = r.ok() && r.value == want;
        if (ok) {
            const auto w = fs_.write(handles.out, {buffer.data(), want});
            ok = w.ok() && w.value == want;
        }
        at += want;
        left -= want;
    }
    ok = fs_.close(std::exchange(handles.out, kNoFile)).ok() && ok;
    if (!ok) {
        (void)fs_.remove(name);
        return std::nullopt;
    }
    copies_.insert(name);
    return name;
}

void History::dropUnusedCopies(const Document* also) {
    if (copies_.empty())
        return;
    std::set<std::string> used;
    const auto note = [&](const PatternRecord& r) {
        for (const std::string& f : r.sourceFiles)
            if (!f.empty() && copies_.contains(f))
                used.insert(f);
    };
    for (const auto* steps : {&undo_, &redo_})
        for (const Step& step : *steps)
            for (const SharedRecord& r : step.state.records)
                note(*r);
    if (also)
        for (const PatternRecord& r : also->table)
            note(r);
    for (auto it = copies_.begin(); it != copies_.end();) {
        if (used.contains(*it)) {
            ++it;
        } else {
            (void)fs_.remove(*it);
            it = copies_.erase(it);
        }
    }
}

History::SavePreparation History::prepareSave(const Document& before, const std::string& target) {
    return prepare(&before, TargetNameFor(target));
}

void History::protectFile(const Document& present, const std::string& path) {
    completeSave(prepare(nullptr, path), present);
}

History::SavePreparation History::prepare(const Document* saved, const std::string& replaced) {
    SavePreparation prep;
    prep.version = version_;
    std::map<std::string, std::string> known;
    // Identities are never empty: without a saved document no state is of its file.
    const std::string savedFile = saved ? identityOf(saved->state.currentFilePath, known) : "";
    const std::string targetFile = identityOf(replaced, known);

    std::set<std::pair<std::int32_t, std::int32_t>> carried;
    for (int p = 0; saved && p <= saved->state.lastIndex && p < kMaxPatterns; ++p) {
        for (int slot = 0; slot < 2; ++slot) {
            const std::int32_t offset = slotOffset(saved->pattern(p), slot);
            const std::int32_t size = slotSize(saved->pattern(p), slot);
            if (isRange(offset, size)) {
                prep.carried.push_back({p, slot, offset, size});
                carried.emplace(offset, size);
            }
        }
    }

    std::set<SavePreparation::CopyKey> failed;
    for (const auto* steps : {&undo_, &redo_}) {
        for (const Step& step : *steps) {
            const State& s = step.state;
            SavePreparation::StatePlan plan;
            plan.file = identityOf(s.currentFilePath, known);
            plan.ofSavedFile = plan.file == savedFile;
            plan.endangered = plan.ofSavedFile || plan.file == targetFile;
            for (size_t i = 0; plan.endangered && i < s.records.size(); ++i) {
                const PatternRecord& r = *s.records[i];
                for (int slot = 0; slot < 2; ++slot) {
                    const std::int32_t offset = slotOffset(r, slot);
                    const std::int32_t size = slotSize(r, slot);
                    if (!isRange(offset, size) ||
                        (plan.ofSavedFile && carried.contains({offset, size})))
                        continue;
                    const SavePreparation::CopyKey key{plan.file, offset, size};
                    if (prep.copies.contains(key))
                        continue;
                    if (!failed.contains(key)) {
                        const auto copy = copyRange(s.currentFilePath, offset, size,
                                                    extensionOf(fieldText(slotPath(r, slot))));
                        if (copy) {
                            prep.copies.emplace(key, *copy);
                            continue;
                        }
                        failed.insert(key);
                    }
                    prep.lost.insert(s.id);
                }
            }
            prep.states.emplace(s.id, std::move(plan));
        }
    }
    return prep;
}

void History::completeSave(const SavePreparation& prep, const Document& after) {
    if (prep.version != version_) {
        // The steps are no longer those that were prepared: none of them can be trusted.
        clear();
        return;
    }

    const MovedRanges moved = movedRanges(prep, after);

    // Records shared between states are rewritten once per file, and stay shared. The
    // originals are held too, so that no address is reused while it is a key.
    std::map<std::pair<std::string, const PatternRecord*>, std::pair<SharedRecord, SharedRecord>>
        rewritten;
    std::set<std::uint64_t> lost = prep.lost;
    for (auto* steps : {&undo_, &redo_}) {
        for (Step& step : *steps) {
            State& s = step.state;
            const auto plan = prep.states.find(s.id);
            if (plan == prep.states.end()) {
                lost.insert(s.id);
                continue;
            }
            if (!plan->second.endangered || lost.contains(s.id))
                continue;
            const SavePreparation::StatePlan& p = plan->second;
            for (SharedRecord& record : s.records) {
                auto [it, fresh] = rewritten.try_emplace({p.file, record.get()});
                SharedRecord& result = it->second.second;
                if (fresh) {
                    it->second.first = record;
                    if (const auto r = repointed(*record, p, moved, prep.copies))
                        result = *r == *record ? record : std::make_shared<const PatternRecord>(*r);
                }
                if (!result) {
                    lost.insert(s.id);
                    break;
                }
                record = result;
            }
            if (p.ofSavedFile)
                s.currentFilePath = after.state.currentFilePath;
        }
    }

    const auto isLost = [&](std::uint64_t id) { return lost.contains(id); };
    cutAfterLost(undo_, isLost);
    cutAfterLost(redo_, isLost);
    changed();
    dropUnusedCopies(&after);
}

} // namespace pdt::puzzle
